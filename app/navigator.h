// The Navigator dock: the active window's whole scan reduced, with its
// tracing over it and a frame around the part the window shows. A click or a
// drag in it brings that place to the middle of the window.
#pragma once

#include "platform/types.h"

#include <QDockWidget>
#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class CDibView;
class QTimer;

class NavigatorPanel : public QWidget {
  public:
    using ViewSource = std::function<CDibView*()>;
    explicit NavigatorPanel(ViewSource activeView, QWidget* parent = nullptr);

    // Looks at the active window and repaints when anything shown changed.
    void Refresh();
    // Where the scan and the window's part of it show in the panel; empty
    // without a window or a scan.
    QRectF PictureRect() const { return m_pictureRect; }
    QRectF VisibleFrame() const;

    QSize sizeHint() const override { return {240, 180}; }
    QSize minimumSizeHint() const override { return {120, 90}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // What the picture was made from: when any of it changes, it is made anew.
    struct PictureKey {
        const CDibView* view = nullptr;
        const void* dib = nullptr;
        CSize image;
        std::uint64_t revision = 0;
        int zoomExponent = 0;
        std::array<int, 14> layers{};
        std::array<COLORREF, 14> colors{};
        QSize panel;
        bool operator==(const PictureKey&) const = default;
    };
    // What the frame was drawn from.
    struct FrameKey {
        CPoint scroll;
        CRect client;
        bool operator==(const FrameKey&) const = default;
    };

    PictureKey KeyOf(const CDibView* view) const;
    void MakePicture(const CDibView& view);
    void CentreViewOn(QPointF panelPoint);

    ViewSource m_activeView;
    PictureKey m_pictureKey;
    FrameKey m_frameKey;
    QImage m_picture;
    QRectF m_pictureRect;
    double m_panelPerPixel = 0; // panel pixels per scan pixel
};

class NavigatorDock : public QDockWidget {
  public:
    NavigatorDock(NavigatorPanel::ViewSource activeView, QWidget* parent);
    NavigatorPanel* Panel() const { return m_panel; }

  private:
    NavigatorPanel* m_panel;
    QTimer* m_timer;
};
