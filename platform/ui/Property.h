// The observable properties of components, named in change notifications so that a renderer
// can mirror the framework's state without polling.
#pragma once

namespace platform {

enum class Property {
    Name,
    Parent,
    Enabled,
    Visible,
    Caption,
    Hint,
    HelpContext,
    FontBold,
    Bounds,
    Align,
    TabOrder,
    TabStop,
    Text,
    EditMask,
    MaxLength,
    ReadOnly,
    Checked,
    Items,
    Columns,
    ItemIndex,
    ActivePage,
    Menu,
    FormStyle,
    WindowState,
    Options,
    DataSource,
    DataField,
    ButtonStyle,
    TitleAlignment,
    Width,
    GridColumns,
    GridData,
    GridSelection,
    GridEditor,
    ShortCut,
    ImageName,
};

}  // namespace platform
