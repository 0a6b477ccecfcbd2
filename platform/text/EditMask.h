// Edit masks: "pattern;keep-literals;blank" as the masked editors and fields carry them.
// Tells each position's meaning and converts between what an editor shows and the text it
// hands over.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class MaskCharClass { Digit, DigitOrSign, Letter, LetterOrDigit, Any };
enum class MaskCase { None, Upper, Lower };

struct MaskPosition {
    bool Literal = false;
    char32_t LiteralChar = 0;  // for a literal position
    MaskCharClass Class = MaskCharClass::Any;
    bool Required = false;
    MaskCase Case = MaskCase::None;
};

class EditMask {
  public:
    // An empty mask text means no mask (no positions). Raises Error for a pattern that
    // ends in "\" or has no editable position.
    explicit EditMask(std::string_view mask);

    const std::string& MaskText() const { return mask_; }
    bool Empty() const { return positions_.empty(); }
    const std::vector<MaskPosition>& Positions() const { return positions_; }
    std::size_t Size() const { return positions_.size(); }
    bool KeepLiterals() const { return keepLiterals_; }
    char32_t BlankChar() const { return blank_; }
    // True with "!": optional positions left empty become leading blanks of their group.
    bool LeadingBlanks() const { return leadingBlanks_; }

    // Whether ch may stand at the editable position (false for a literal position).
    bool Accepts(std::size_t position, char32_t ch) const;
    // ch with the position's case conversion applied.
    char32_t Convert(std::size_t position, char32_t ch) const;

    // What an editor shows with nothing typed: literals, and the blank char elsewhere
    // ("__/____" for "!99/0000;1;_").
    std::string EmptyDisplay() const;
    // The text handed over for an editor display (one character per position, the blank
    // char where nothing is typed): blank positions become spaces, typed characters of an
    // optional group are right-aligned with "!" (left-aligned without), literals are removed
    // when not kept and the result is then trimmed (leading blanks with "!", trailing
    // without). Every position blank gives "". "_3/2024" -> " 3/2024".
    std::string TextFromDisplay(std::string_view display) const;
    // The reverse: places a text into the mask for an editor. With literals kept the text
    // maps position by position; without, its characters fill the editable positions
    // (from the right with "!"). A character a position does not accept shows as blank.
    std::string DisplayFromText(std::string_view text) const;
    // True when every required position of the display holds a character.
    bool IsComplete(std::string_view display) const;

    // The same mask in Qt's input-mask syntax ("00/9999;_" for "!99/0000;1;_", "00" for
    // "99;0; "), for the desktop shell.
    std::string QtInputMask() const;

  private:
    std::string mask_;
    std::vector<MaskPosition> positions_;
    bool keepLiterals_ = true;
    char32_t blank_ = U'_';
    bool leadingBlanks_ = false;
};

}  // namespace platform
