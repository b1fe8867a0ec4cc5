#include "app/command_router.h"

#include "platform/scroll_view.h"

void CommandRouter::Add(UINT id, Run run, Update update) {
    m_handlers[id] = Entry{std::move(run), std::move(update)};
}

CCmdUI CommandRouter::QueryState(UINT id) const {
    CCmdUI ui;
    ui.id = id;
    ui.enabled = false;
    if (CScrollView* view = ActiveView(); view && view->OnUpdateCommand(id, &ui))
        return ui;
    const auto found = m_handlers.find(id);
    if (found == m_handlers.end())
        return ui;
    ui.enabled = true;
    if (found->second.update)
        found->second.update(ui);
    return ui;
}

bool CommandRouter::Execute(UINT id) {
    if (!QueryState(id).enabled)
        return false;
    if (CScrollView* view = ActiveView(); view && view->OnCommand(id))
        return true;
    const auto found = m_handlers.find(id);
    if (found == m_handlers.end() || !found->second.run)
        return false;
    // The handler may register or drop handlers; run a copy.
    const Run run = found->second.run;
    run();
    return true;
}
