#include "reference/reference_window.h"

#include "reference/catalogues.h"

#include <span>

namespace orva {
namespace {

using command_list::kCrHint;
using command_list::kEditBox;
using command_list::kParameterHint;

std::span<const std::string_view> catalogueOf(int list)
{
    switch (list) {
    case ReferenceWindow::kBasic:
        return basicCatalogue();
    case ReferenceWindow::kExpandedSet:
        return expandedSetCatalogue();
    default:
        return expandedReadCatalogue();
    }
}

bool validList(int list)
{
    return list >= ReferenceWindow::kBasic && list <= ReferenceWindow::kExpandedRead;
}

} // namespace

std::string_view ReferenceWindow::listName(int list)
{
    switch (list) {
    case kBasic:
        return command_list::kBasicList;
    case kExpandedSet:
        return command_list::kExpandedSetList;
    default:
        return command_list::kExpandedReadList;
    }
}

std::string_view commandTextOf(std::string_view entry)
{
    return entry.substr(0, entry.find('['));
}

ReferenceWindow::ReferenceWindow(Link& link) : link_(link) {}

void ReferenceWindow::load()
{
    showList(kBasic, true);
    if (view_)
        view_->setOuterHeight(kOuterHeight);
    showList(kExpandedSet, false);
    showList(kExpandedRead, false);
    setParameterHint(false);
    setCrHint(false);
    select(kBasic, 0);
    derive(catalogueOf(kBasic)[0]);
    if (view_) {
        for (int list = kBasic; list <= kExpandedRead; ++list)
            view_->setTop(listName(list), kListTop);
        view_->setFocus(listName(kBasic));
    }
}

void ReferenceWindow::select(int list, int index)
{
    if (view_)
        view_->setCurrentIndex(listName(list), index);
    pick(list, index);
}

void ReferenceWindow::pick(int list, int index)
{
    if (!open_ || !validList(list))
        return;
    const auto entries = catalogueOf(list);
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size())
        return;
    selected_[static_cast<std::size_t>(list)] = index;
    const std::string_view entry = entries[static_cast<std::size_t>(index)];
    setCrHint(true);
    if (list == kExpandedSet) {
        if (entry.find('%') != std::string_view::npos) {
            setParameterHint(true);
            if (view_)
                view_->setFocus(kEditBox);
        } else {
            setParameterHint(false);
        }
    }
    derive(entry);
}

void ReferenceWindow::derive(std::string_view entry)
{
    const std::string_view command = commandTextOf(entry);
    composed_ = std::string(command) + '\r';
    setEditText(std::string(command) + "[CR]");
}

void ReferenceWindow::setEditText(std::string text)
{
    if (text == editText_)
        return;
    editText_ = std::move(text);
    if (view_)
        view_->setCaption(kEditBox, editText_);
    editChange(editText_);
}

void ReferenceWindow::editChange(const std::string& text)
{
    if (!open_)
        return;
    editText_ = text;
    composed_ = std::string(commandTextOf(text)) + '\r';
}

void ReferenceWindow::sendCommand()
{
    if (!open_)
        return;
    link_.stopCountdowns();
    link_.hyouji(composed_, kModeSend);
    setParameterHint(false);
    setCrHint(false);
    link_.restartCountdowns();
}

void ReferenceWindow::switchList(int list)
{
    if (!open_ || !validList(list))
        return;
    for (int other = kBasic; other <= kExpandedRead; ++other) {
        if (other != list)
            showList(other, false);
    }
    showList(list, true);
    visibleList_ = list;
    select(list, 0);
    derive(catalogueOf(list)[0]);
}

void ReferenceWindow::closeWindow()
{
    finish();
}

void ReferenceWindow::closedByTitleBar()
{
    // The title-bar close box runs the same steps as CLOSE, so the main
    // window gets its timers and status frame back.
    if (!open_)
        return;
    open_ = false;
    if (onClose_)
        onClose_();
}

void ReferenceWindow::abandon()
{
    if (!open_)
        return;
    open_ = false;
    if (view_)
        view_->closeWindow();
}

void ReferenceWindow::finish()
{
    if (!open_)
        return;
    open_ = false;
    if (view_)
        view_->closeWindow();
    if (onClose_)
        onClose_();
}

void ReferenceWindow::showList(int list, bool on)
{
    if (view_)
        view_->setControlVisible(listName(list), on);
}

void ReferenceWindow::setCrHint(bool on)
{
    crHint_ = on;
    if (view_)
        view_->setControlVisible(kCrHint, on);
}

void ReferenceWindow::setParameterHint(bool on)
{
    parameterHint_ = on;
    if (view_)
        view_->setControlVisible(kParameterHint, on);
}

} // namespace orva
