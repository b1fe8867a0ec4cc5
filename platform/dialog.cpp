#include "platform/dialog.h"

#include "platform/user_services.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

void DDX_Text(CDataExchange* dx, int id, int& value) {
    CDialog* dlg = dx->m_pDlgWnd;
    if (!dx->m_bSaveAndValidate) {
        dlg->SetDlgItemText(id, std::to_string(value));
        return;
    }
    if (dx->Failed())
        return;
    const std::string text = dlg->GetDlgItemText(id);
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == begin || !end || *end != '\0' || errno == ERANGE || parsed < INT_MIN ||
        parsed > INT_MAX) {
        Services().MessageBox("Please enter an integer.", "", MB_OK | MB_ICONEXCLAMATION);
        dlg->GotoDlgCtrl(id);
        dx->Fail();
        return;
    }
    value = static_cast<int>(parsed);
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
    if (dx->m_bSaveAndValidate) {
        if (!dx->Failed())
            index = dx->m_pDlgWnd->GetCurSel(id);
    } else {
        dx->m_pDlgWnd->SetCurSel(id, index);
    }
}

void DDX_Check(CDataExchange* dx, int id, bool& checked) {
    if (dx->m_bSaveAndValidate) {
        if (!dx->Failed())
            checked = dx->m_pDlgWnd->IsDlgButtonChecked(id);
    } else {
        dx->m_pDlgWnd->CheckDlgButton(id, checked);
    }
}

CDialog::CDialog(DialogTemplate dialogTemplate) : m_template(std::move(dialogTemplate)) {}

int CDialog::DoModal() {
    BeginRun();
    return Services().RunModalDialog(*this);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnCommand(int id) {
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

void CDialog::EndDialog(int result) {
    m_ended = true;
    m_result = result;
}

void CDialog::BeginRun() {
    m_ended = false;
    m_result = 0;
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

DialogControl* CDialog::GetDlgItem(int id) {
    for (DialogControl& c : m_template.controls)
        if (c.id == id && id != -1)
            return &c;
    return nullptr;
}

const DialogControl* CDialog::GetDlgItem(int id) const {
    return const_cast<CDialog*>(this)->GetDlgItem(id);
}

std::string CDialog::GetDlgItemText(int id) const {
    const DialogControl* c = GetDlgItem(id);
    return c ? c->text : std::string();
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    if (DialogControl* c = GetDlgItem(id))
        c->text = text;
}

int CDialog::GetCurSel(int id) const {
    const DialogControl* c = GetDlgItem(id);
    return c ? c->sel : -1;
}

void CDialog::SetCurSel(int id, int index) {
    DialogControl* c = GetDlgItem(id);
    if (!c)
        return;
    c->sel = (index >= 0 && index < static_cast<int>(c->items.size())) ? index : -1;
}

bool CDialog::IsDlgButtonChecked(int id) const {
    const DialogControl* c = GetDlgItem(id);
    return c && c->checked;
}

void CDialog::CheckDlgButton(int id, bool checked) {
    if (DialogControl* c = GetDlgItem(id))
        c->checked = checked;
}

void CDialog::ShowDlgItem(int id, bool show) {
    if (DialogControl* c = GetDlgItem(id))
        c->visible = show;
}

bool CDialog::IsDlgItemVisible(int id) const {
    const DialogControl* c = GetDlgItem(id);
    return c && c->visible;
}

CRect CDialog::MapDialogRect(const CRect& dlu) const {
    return CRect(dlu.left * m_baseX / 4, dlu.top * m_baseY / 8, dlu.right * m_baseX / 4,
                 dlu.bottom * m_baseY / 8);
}

CRect CDialog::GetDlgItemClientRect(int id) const {
    const DialogControl* c = GetDlgItem(id);
    return c ? MapDialogRect(c->dlu) : CRect();
}
