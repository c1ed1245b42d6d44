#pragma once

#include <QString>
#include <optional>

#include "platform/EmbeddedTextNode.h"
#include "platform/x11/AtspiTree.h"

// The text of an AT-SPI element: reading it as a person sees it, and editing it.
namespace atspiText {
std::optional<int> characterCount(AtspiAccessible* object);
// The text as a person sees it: a page's object characters stand for their children's text.
// A page too big to read within the budget gives nothing: the copy road takes over.
std::optional<QString> readableText(AtspiAccessible* object, EmbeddedTextPart part,
                                    const atspiTree::Deadline& deadline);
bool isEditable(AtspiAccessible* object);
// Replaces the selection, or inserts at the caret without one, and puts the caret after it.
bool replaceSelection(AtspiAccessible* object, const QString& replacement);
// The caret's offset while nothing is selected; none with a selection or when a call fails.
std::optional<int> caretWithoutSelection(AtspiAccessible* object);
bool setCaretOffset(AtspiAccessible* object, int offset);
}  // namespace atspiText
