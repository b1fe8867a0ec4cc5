// Command routing: a command goes to the active board view first; when the
// view has no handler for it, to the handlers the document, the frame and the
// application registered here. A command nobody handles is disabled, and a
// disabled command is never carried out, whichever way it was invoked.
#pragma once

#include "platform/cmd_ui.h"
#include "platform/types.h"

#include <functional>
#include <map>

class CScrollView;

class CommandRouter {
  public:
    using Run = std::function<void()>;
    using Update = std::function<void(CCmdUI&)>;

    // Registers the handler of a command below the view. Without an update
    // handler the command is enabled whenever it reaches this handler.
    void Add(UINT id, Run run, Update update = {});
    bool HasHandler(UINT id) const { return m_handlers.count(id) != 0; }

    // Where the active view comes from (null: no document window active).
    void SetActiveViewSource(std::function<CScrollView*()> source) {
        m_activeView = std::move(source);
    }
    CScrollView* ActiveView() const { return m_activeView ? m_activeView() : nullptr; }

    // The state a menu item or button of the command shows now.
    CCmdUI QueryState(UINT id) const;
    // Carries the command out; false when it is disabled or nobody handles it.
    bool Execute(UINT id);

  private:
    struct Entry {
        Run run;
        Update update;
    };
    std::map<UINT, Entry> m_handlers;
    std::function<CScrollView*()> m_activeView;
};
