// A running shell for tests: the application with scripted user services
// (dialogs and questions answered from queues) and a private settings file.
#pragma once

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/main_frame.h"
#include "app/trace_app.h"
#include "platform/scripted/scripted_services.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QString>
#include <QWindow>
#include <QStringList>

#include <memory>

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settingsFile = QDir::current().absoluteFilePath(
            QString("settings-%1.ini")
                .arg(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        QFile::remove(settingsFile);
    }

    // Makes the application; `start` runs its start-up with `arguments`.
    CTraceApp& MakeApp() {
        app = std::make_unique<CTraceApp>(CTraceApp::Options{&services, settingsFile});
        return *app;
    }
    bool Start(const QStringList& arguments = {}) { return MakeApp().InitInstance(arguments); }
    void TearDown() override { app.reset(); }

    CMainFrame& Frame() { return *app->MainFrame(); }
    std::vector<CChildFrame*> Children() { return Frame().Children(); }
    // Titles as shown, with the asterisk of unsaved changes.
    QString ActiveTitle() {
        CChildFrame* child = Frame().ActiveChild();
        return child ? child->ShownTitle() : QString();
    }
    QString MainTitle() {
        return Frame().windowHandle() ? Frame().windowHandle()->title() : QString();
    }
    bool Run(UINT id) { return app->Router().Execute(id); }
    bool Enabled(UINT id) { return app->Router().QueryState(id).enabled; }

    QMenu* ShownMenu(const QString& title) {
        for (QMenu* menu : Frame().ShownMenus())
            if (menu->title() == title)
                return menu;
        return nullptr;
    }
    // Opens the menu's state as the user would see it, then finds the item.
    QAction* MenuItem(QMenu* menu, UINT id) {
        if (!menu)
            return nullptr;
        emit menu->aboutToShow();
        for (QAction* action : menu->actions())
            if (action->isVisible() && !action->menu() && action->data().isValid() &&
                action->data().toUInt() == id && !action->property("recentIndex").isValid())
                return action;
        return nullptr;
    }
    // The texts of a menu as shown: "-" for separators, submenus as
    // "Title>" followed by their items and "<".
    QStringList MenuTexts(QMenu* menu) {
        QStringList texts;
        emit menu->aboutToShow();
        for (QAction* action : menu->actions()) {
            if (!action->isVisible())
                continue;
            if (action->isSeparator()) {
                texts << "-";
            } else if (action->menu()) {
                texts << action->menu()->title() + ">";
                texts << MenuTexts(action->menu());
                texts << "<";
            } else {
                texts << action->text();
            }
        }
        return texts;
    }

    ScriptedServices services;
    QString settingsFile;
    std::unique_ptr<CTraceApp> app;
};
