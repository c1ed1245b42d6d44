#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

// One element of a text as an accessibility tree shows it, where each child element (a page's
// paragraph, a link inside it) stands in the parent's text as one object replacement character
// (U+FFFC). Offsets count characters (code points), as the accessibility interfaces do.
class EmbeddedTextNode {
public:
    // How the element sits among its siblings: within a line, as a block of its own, or as a
    // paragraph (two paragraphs in a row have a blank line between them).
    enum class Layout { Inline, Block, Paragraph };

    virtual ~EmbeddedTextNode() = default;

    // The number of characters of the element's own text.
    virtual int length() = 0;
    // The element's own text from start to end.
    virtual QString text(int start, int end) = 0;
    // The element's own selected range (its first); none without a selection.
    virtual std::optional<std::pair<int, int>> selection() = 0;
    // The child behind the object character at that offset; null when there is none.
    virtual std::unique_ptr<EmbeddedTextNode> child(int offset) = 0;
    virtual Layout layout() = 0;
    // How many characters at the start of the text are a list marker ("• ", "1. ") that a copy
    // leaves out.
    virtual int markerLength() = 0;
};

// Which text of the node expandedText gives.
enum class EmbeddedTextPart { Selection, Whole };

// The node's text as a person sees it (and a copy gives it): each object character replaced by
// its child's text, recursively, with a line break around blocks and a blank line between
// paragraphs, and list markers left out. For the selection, the node's range says which
// children take part and each child's own selection says where it is cut (a child without one
// takes part whole); nothing when the node has no selection. Text that is only white space
// after its object characters were expanded counts as nothing.
// None when the tree could not be read whole: deeper than 32 levels, more than 2,000
// children, or `outOfTime` said so.
std::optional<QString> expandedText(EmbeddedTextNode& node, EmbeddedTextPart part,
                                    const std::function<bool()>& outOfTime = {});
