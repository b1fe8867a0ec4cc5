// Shows a CDialog built from its template as a Qt dialog. Each control sits
// at its dialog-unit rectangle, mapped to pixels through the base units of
// the template's font (as Windows does: average character width and the
// font's height). The CDialog holds the state of every control: before a
// handler runs the host copies what the user typed and chose into that
// state, and afterwards shows the state again (texts, selections,
// visibility). The dialog closes once the CDialog has ended.
#pragma once

#include "platform/dialog.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QStringList>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QFrame;
class QWidget;

// Looks up an icon or bitmap resource by name; a null pixmap when unknown.
using QtImageProvider = std::function<QPixmap(const std::string& name)>;

class QtDialogHost : public QDialog {
    Q_OBJECT
  public:
    QtDialogHost(CDialog& dialog, QtImageProvider images, QWidget* parent = nullptr);

    // Builds nothing more: the controls exist once constructed. Runs
    // OnInitDialog and shows the state; false when the dialog ended there.
    bool Initialize();
    // Runs the dialog modally; the value given to EndDialog.
    int Run();

    // The widget of a control, null for unknown ids.
    QWidget* ControlWidget(int id) const;
    // Font the template asks for, with Windows dialog fonts mapped to the
    // desktop's user-interface font.
    static QFont TemplateFont(const DialogTemplate& dialogTemplate);

    // Copies widget values into the control states, and states into widgets.
    void CopyWidgetsToState();
    void ShowState();

  protected:
    void reject() override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void CreateControls();
    QWidget* CreateControl(const DialogControl& control);
    QPixmap LoadImage(const std::string& name) const;
    // Pixel rectangles of the visible controls other than the one at `index`.
    std::vector<QRect> OtherControlRects(std::size_t index) const;
    // Ends the Qt dialog when the CDialog has ended, else shows its state.
    void AfterHandler();
    // Focuses the control the dialog asked for, if any.
    void ApplyFocusRequest();
    void OnButton(int id);
    void OnChanged(int id);

    CDialog& m_dialog;
    QtImageProvider m_images;
    QFrame* m_edge = nullptr;
    std::map<int, QWidget*> m_byId;
    std::vector<QWidget*> m_widgets; // one per control, in template order
};

// Base units of a font as Windows computes them for dialogs: the average
// width of the 52 letters (rounded) and the line height.
void QtDialogBaseUnits(const QFont& font, int* baseX, int* baseY);

// Font families that draw Han characters in the forms of the language
// (simplified Chinese for "zh-CN"); empty when the desktop's choice will do.
QStringList QtHanFamilies(const std::string& language);
