#include "TestDialogs.h"

#include <stdexcept>

BEGIN_MESSAGE_MAP(CBaseLikeDialog, CDialog)
    ON_BN_CLICKED(IDC_FIND, &CBaseLikeDialog::OnBaseFind)
    ON_COMMAND(IDC_EDIT_SECOND, &CBaseLikeDialog::OnBaseOnly)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CRecordingDialog, CBaseLikeDialog)
    ON_BN_CLICKED(IDC_FIND, &CRecordingDialog::OnFind)
    ON_NOTIFY(TCN_SELCHANGING, IDC_TAB, &CRecordingDialog::OnTabSelChanging)
    ON_NOTIFY(TCN_SELCHANGE, IDC_TAB, &CRecordingDialog::OnTabSelChange)
    ON_MESSAGE(WM_TEST_PRIVATE, &CRecordingDialog::OnPrivate)
    ON_MESSAGE(WM_TEST_THROW, &CRecordingDialog::OnThrow)
    ON_COMMAND_RANGE(IDC_RADIO_A, IDC_RADIO_C, &CRecordingDialog::OnRadio)
END_MESSAGE_MAP()

LRESULT CRecordingDialog::OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }

BEGIN_MESSAGE_MAP(CStubbornDialog, CDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()
