#include "framework/ControlObject.h"

#include <new>

#include "framework/HandleChain.h"
#include "framework/Win32.h"

namespace {

constexpr wchar_t kRecordProperty[] = L"FCP_TYPE_PTR";

int32_t gLiveRecords = 0;

HandleChain<HWND, ControlObject>& Table() {
    static HandleChain<HWND, ControlObject> table;
    return table;
}

}  // namespace

ControlObject* NewControlObject() {
    ++gLiveRecords;
    return new ControlObject;
}

void FreeControlObject(ControlObject* record) noexcept {
    if (record == nullptr) return;
    --gLiveRecords;
    if (record->largeIcon != nullptr) DestroyIcon(record->largeIcon);
    if (record->smallIcon != nullptr) DestroyIcon(record->smallIcon);
    delete record;
}

int32_t LiveControlObjectCount() noexcept {
    return gLiveRecords;
}

void AttachFormRecord(HWND form, ControlObject* record) noexcept {
    SetPropW(form, kRecordProperty, record);
    HandleTableInsert(form, record);
}

void AttachControlRecord(HWND control, ControlObject* record) noexcept {
    HandleTableInsert(control, record);
}

void ChainWindowlessRecord(ControlObject* formRecord, ControlObject* record) noexcept {
    if (formRecord == nullptr || record == nullptr) return;
    ControlObject* last = formRecord;
    while (last->next != nullptr) last = last->next;
    last->next = record;
    record->next = nullptr;
}

ControlObject* FindControlObject(HWND window) noexcept {
    if (window == nullptr) return nullptr;
    // The table first: it holds every record, and a window property costs a trip to the window server under Wine,
    // on every message a control receives.
    if (auto* record = HandleTableFind(window)) return record;
    return static_cast<ControlObject*>(GetPropW(window, kRecordProperty));
}

void HandleTableInsert(HWND window, ControlObject* record) noexcept {
    Table().Insert(window, record);
}
ControlObject* HandleTableFind(HWND window) noexcept {
    return Table().Find(window);
}
void HandleTableRemove(HWND window) noexcept {
    Table().Remove(window);
}
size_t HandleTableCount() noexcept {
    return Table().Count();
}
size_t HandleTableBlockCount() noexcept {
    return Table().BlockCount();
}

int32_t ResolveColor(ColorValue value, int32_t defaultColor) noexcept {
    return ResolveColorValue(value, defaultColor, [](int index) { return GetSysColor(index); });
}

HBRUSH RecordBrush(ControlObject& record, int32_t color) noexcept {
    if (!record.brush || record.brushColor != color) {
        record.brush.Reset(CreateSolidBrush(static_cast<COLORREF>(color)));
        record.brushColor = color;
    }
    return record.brush.Get();
}
