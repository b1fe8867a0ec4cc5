// The "Change Parameters" dialog as the desktop shows it: every label on one
// line, no control over another.
#include "board/param_dlg.h"
#include "board/params.h"
#include "platform/qt/qt_dialog_host.h"
#include "platform/qt/qt_user_services.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

TEST(ParamDialogLayout, LabelsStayOnOneLineAndNothingOverlaps) {
    QtUserServices services;
    const int layer = g_nCurrentLayer;
    g_nCurrentLayer = 1;
    CParamDlg dialog;
    g_nCurrentLayer = layer;
    QtDialogHost host(dialog, nullptr);
    ASSERT_TRUE(host.Initialize());
    std::vector<QWidget*> widgets;
    for (QWidget* w : host.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        widgets.push_back(w);
    // The original fourteen, then the size for new objects.
    ASSERT_EQ(widgets.size(), 27u);
    int labels = 0;
    for (QWidget* w : widgets) {
        EXPECT_TRUE(host.rect().contains(w->geometry())) << w->objectName().toStdString();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            ++labels;
            const QFontMetrics metrics(label->font());
            EXPECT_GE(label->width(), metrics.horizontalAdvance(label->text()))
                << label->text().toStdString();
            EXPECT_LT(label->height(), 2 * metrics.lineSpacing()) << label->text().toStdString();
        }
        for (QWidget* other : widgets) {
            if (other != w) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << w->objectName().toStdString() << " / " << other->objectName().toStdString();
            }
        }
    }
    EXPECT_EQ(labels, 13);
    auto* list = qobject_cast<QComboBox*>(host.ControlWidget(105));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 12);
    EXPECT_EQ(list->itemText(10), QStringLiteral("Boder Layer"));
    EXPECT_EQ(list->currentIndex(), 0);
}
