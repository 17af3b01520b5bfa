#include "download/ListViewDownloadRows.h"

#include <utility>

#include "download/ListRowWrites.h"
#include "framework/Win32.h"
#include "services/ListView.h"
#include "services/WString.h"

void ListViewDownloadRows::TakeRows() {
    const int32_t count = ListViewGetItemCount(list_);
    rowCount_ = 0;
    links_.assign(static_cast<size_t>(count), {});
    checked_ = std::make_unique<std::atomic<bool>[]>(static_cast<size_t>(count));
    for (int32_t row = 0; row < count; ++row) {
        links_[static_cast<size_t>(row)] = ListViewGetItemText(list_, row, kLinkColumn).ToRtString();
        checked_[row] = ListViewGetCheckState(list_, row);
    }
    rowCount_ = count;
}

void ListViewDownloadRows::CheckBoxChanged(int32_t row) noexcept {
    if (row < 0) {
        for (int32_t each = 0; each < rowCount_; ++each) checked_[each] = ListViewGetCheckState(list_, each);
    } else if (Taken(row)) {
        checked_[row] = ListViewGetCheckState(list_, row);
    }
}

bool ListViewDownloadRows::IsChecked(int32_t row) noexcept {
    return Taken(row) && checked_[row].load();
}

RtString ListViewDownloadRows::Link(int32_t row) noexcept {
    return Taken(row) ? links_[static_cast<size_t>(row)] : RtString();
}

void ListViewDownloadRows::Queue(RowWrite write) noexcept {
    if (writes_->Add(std::move(write))) ListRowWriter::Wake(wake_);
}

void ListViewDownloadRows::SetStatus(int32_t row, const RtString& text) noexcept {
    Queue({RowWrite::Kind::Status, row, text});
}

void ListViewDownloadRows::Uncheck(int32_t row) noexcept {
    Queue({RowWrite::Kind::Uncheck, row, {}});
}

void ListViewDownloadRows::ShowProgress(int32_t row) noexcept {
    if (writes_->AddStarted(row)) ListRowWriter::Wake(wake_);
}

void ListViewDownloadRows::SetStatusHeader(const RtString& text) noexcept {
    Queue({RowWrite::Kind::Header, -1, text});
}
