#include "platform/scripted/scripted_services.h"

ScriptedClipboard::~ScriptedClipboard() {
    for (auto& [format, block] : data)
        GlobalFree(block);
}

bool ScriptedClipboard::Open() {
    if (busy || isOpen)
        return false;
    isOpen = true;
    return true;
}

void ScriptedClipboard::Close() { isOpen = false; }

bool ScriptedClipboard::Empty() {
    if (!isOpen)
        return false;
    for (auto& [format, block] : data)
        GlobalFree(block);
    data.clear();
    return true;
}

bool ScriptedClipboard::SetData(UINT format, HGLOBAL block) {
    if (!isOpen || !block)
        return false;
    if (auto it = data.find(format); it != data.end())
        GlobalFree(it->second);
    data[format] = block;
    return true;
}

HGLOBAL ScriptedClipboard::GetData(UINT format) {
    if (!isOpen)
        return nullptr;
    auto it = data.find(format);
    return it == data.end() ? nullptr : it->second;
}

bool ScriptedClipboard::IsFormatAvailable(UINT format) const { return data.count(format) != 0; }

ScriptedServices::ScriptedServices() { m_previous = SetServices(this); }

ScriptedServices::~ScriptedServices() { SetServices(m_previous); }

int ScriptedServices::MessageBox(const std::string& text, const std::string& caption, UINT type) {
    messages.push_back({text, caption, type});
    const UINT buttons = type & MB_BUTTONS_MASK;
    if (buttons == MB_OK)
        return IDOK;
    if (answers.empty())
        return buttons == MB_OKCANCEL ? IDCANCEL : IDNO;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedServices::FileDialog(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (fileAnswers.empty())
        return std::nullopt;
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (answer)
        return ApplyDefaultExtension(*answer, request.defaultExt);
    return answer;
}

std::optional<COLORREF> ScriptedServices::ChooseColor(COLORREF initial) {
    colorRequests.push_back(initial);
    if (colorAnswers.empty())
        return std::nullopt;
    auto answer = colorAnswers.front();
    colorAnswers.pop_front();
    return answer;
}

void ScriptedServices::SetStatusPaneText(int pane, const std::string& text) {
    statusTexts.emplace_back(pane, text);
    statusPanes[pane] = text;
}

int ScriptedServices::RunModalDialog(CDialog& dialog) {
    dialogsRun.push_back(dialog.Template().id);
    dialog.OnInitDialog();
    if (!dialogScripts.empty()) {
        auto script = std::move(dialogScripts.front());
        dialogScripts.pop_front();
        script(dialog);
    }
    if (!dialog.IsEnded())
        dialog.OnCancel();
    return dialog.Result();
}
