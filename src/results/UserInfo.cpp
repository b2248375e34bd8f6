#include "SearchRecords.h"

std::wstring UserInfo::GetStateText() const {
    switch (state) {
    case 2: return L"离开";
    case 3: return L"忙碌";
    case 4: return L"在线";
    default: return L"离线";
    }
}
