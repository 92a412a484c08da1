#pragma once

#include <string>
#include <string_view>

namespace orva {

// A window as the behaviour sees it: controls by name (the object names of
// the widgets), each with a caption and a visibility. The behaviour keeps
// the state and pushes every change here; the view only mirrors it.
class View {
public:
    virtual ~View() = default;
    virtual void setCaption(std::string_view control, const std::string& text) = 0;
    // The caption grew by `tail` at its end and is now `whole`. A view that
    // keeps its own copy appends; any other is given the whole caption.
    virtual void appendCaption(std::string_view control, std::string_view tail, const std::string& whole)
    {
        (void)tail;
        setCaption(control, whole);
    }
    virtual void setControlVisible(std::string_view control, bool visible) = 0;
};

} // namespace orva
