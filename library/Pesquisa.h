// The look-up dialog: lists a data link's rows and makes the picked one current.
#pragma once

#include <string>

namespace platform {
class DataSource;
}

namespace library {

// Lists the rows of the link's record set (its visible fields, in order, under their
// labels) in the dialog port's pick list. `text` is "title|empty-list message". Returns
// true when a row was picked; that row is then the set's current row. With no rows the
// message is shown as an error and the result is false. `multiSelect` and `showAll` are
// kept for the callers' sake: the list always shows every row and picks one.
bool Pesquisar(platform::DataSource& source, const std::string& text, bool multiSelect = false,
               bool showAll = true);

}  // namespace library
