// The names assistive technology reads for the controls of a form: an edit or a grid has no
// text of its own, so it takes the caption of the label placed above it or to its left (which
// becomes its buddy), else of the page or form that holds it. Controls with a text of their
// own (buttons, check boxes, radio buttons, group boxes) are read by that text.
#pragma once

namespace platform {
class WinControl;
}

namespace host {

class Shell;

// Names the edits and grids inside `container`, at every depth.
void NameByLabels(const Shell& shell, const platform::WinControl& container);

}  // namespace host
