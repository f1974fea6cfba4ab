#include "platform/dialog_rules.h"

#include <algorithm>
#include <limits>

#include "platform/convert.h"

namespace dida {

int MessageResultFromButtonId(int buttonId) {
    switch (buttonId) {
    case 1: return kOk;       // IDOK
    case 2: return kCancel;   // IDCANCEL
    case 3: return kAbort;    // IDABORT
    case 4: return kRetry;    // IDRETRY
    case 5: return kIgnore;   // IDIGNORE
    case 6: return kYes;      // IDYES
    case 7: return kNo;       // IDNO
    default: return kCancel;  // a box that failed or was closed some other way counts as cancelled
    }
}

unsigned MessageBoxStyle(int style) {
    const auto bits = static_cast<unsigned>(style);
    return (bits & unsigned{kSystemModal}) ? bits : bits | unsigned{kTaskModal};
}

std::string MessageBoxTitle(const std::string& title) { return title.empty() ? "信息：" : title; }

int InputBoxMode(int mode) { return std::clamp(mode, 1, 4); }

std::string InputBoxCaption(const std::string& title) { return title.empty() ? "请输入：" : title; }

bool InputBoxAccepts(int mode, char32_t ch) {
    if (ch < 32) return true;  // backspace and the other editing keys
    const bool digit = ch >= U'0' && ch <= U'9';
    switch (InputBoxMode(mode)) {
    case 2: return digit || ch == U'-';
    case 3: return digit || ch == U'-' || ch == U'.';
    default: return true;
    }
}

void StoreInputEntry(const std::string& entry, const InputTarget& target) {
    switch (target.type) {
    case InputTarget::Type::Text:
        if (target.text) *target.text = entry;
        break;
    case InputTarget::Type::Int32:
        if (target.i32) {
            const std::int64_t v = LeadingInteger(entry);
            *target.i32 = static_cast<std::int32_t>(std::clamp<std::int64_t>(
                v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
        }
        break;
    case InputTarget::Type::Int64:
        if (target.i64) *target.i64 = LeadingInteger(entry);
        break;
    case InputTarget::Type::Double:
        if (target.dbl) *target.dbl = LeadingNumber(entry);
        break;
    }
}

std::string DialogFilterString(const std::string& filter) {
    if (filter.empty() || filter.ends_with("||")) return filter;
    return filter + "||";
}

int DialogFilterIndex(const std::string& filter, int zeroBasedIndex) {
    if (filter.empty()) return 0;
    return std::clamp(zeroBasedIndex, 0, std::numeric_limits<int>::max() - 1) + 1;
}

}  // namespace dida
