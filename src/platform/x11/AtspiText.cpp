#include "platform/x11/AtspiText.h"

#include "platform/x11/AtspiTextNode.h"

using atspiTree::AccessibleRef;

namespace atspiText {
namespace {
// The selected range of a text element; none without a selection.
std::optional<std::pair<int, int>> selectionOf(AtspiText* text) {
    GErrorSlot error;
    const int count = atspi_text_get_n_selections(text, error.out());
    if (error || count <= 0) {
        return std::nullopt;
    }
    const GFreed<AtspiRange> range(atspi_text_get_selection(text, 0, error.out()));
    if (error || !range || range->start_offset == range->end_offset) {
        return std::nullopt;
    }
    return std::pair<int, int>{range->start_offset, range->end_offset};
}

// The length InsertText wants: GTK counts the bytes of the UTF-8 text, Qt its UTF-16 units
// (and cuts or pads the text to that many).
int insertLength(AtspiAccessible* object, const QString& text) {
    GErrorSlot error;
    QString toolkit;
    // Only the application object knows its toolkit.
    if (const AccessibleRef application(atspi_accessible_get_application(object, error.out()));
        application) {
        toolkit = takeString(atspi_accessible_get_toolkit_name(application.get(), error.out()));
    }
    return toolkit.compare(QLatin1String("Qt"), Qt::CaseInsensitive) == 0
               ? int(text.size())
               : int(text.toUtf8().size());
}

}  // namespace

std::optional<int> characterCount(AtspiAccessible* object) {
    const GObjectRef<AtspiText> text(atspi_accessible_get_text_iface(object));
    if (!text) {
        return std::nullopt;
    }
    GErrorSlot error;
    const int count = atspi_text_get_character_count(text.get(), error.out());
    if (error) {
        return std::nullopt;
    }
    return count;
}

std::optional<QString> readableText(AtspiAccessible* object, EmbeddedTextPart part,
                                    const atspiTree::Deadline& deadline) {
    const auto node = AtspiTextNode::of(object);
    if (!node) {
        return std::nullopt;
    }
    return expandedText(*node, part, [&deadline] { return deadline.passed(); }).value_or(QString());
}

bool isEditable(AtspiAccessible* object) {
    return atspiTree::offers(object, atspi_accessible_get_editable_text_iface) &&
           atspiTree::hasState(object, ATSPI_STATE_EDITABLE);
}

bool replaceSelection(AtspiAccessible* object, const QString& replacement) {
    const GObjectRef<AtspiText> text(atspi_accessible_get_text_iface(object));
    const GObjectRef<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(object));
    if (!text || !editable) {
        return false;
    }
    GErrorSlot error;
    int start = 0;
    int end = 0;
    if (const auto range = selectionOf(text.get())) {
        start = range->first;
        end = range->second;
    } else {
        start = end = atspi_text_get_caret_offset(text.get(), error.out());
    }
    if (error || start < 0) {
        return false;
    }
    if (end > start &&
        !(atspi_editable_text_delete_text(editable.get(), start, end, error.out()) && !error)) {
        return false;
    }
    const QByteArray utf8 = replacement.toUtf8();
    if (!(atspi_editable_text_insert_text(editable.get(), start, utf8.constData(),
                                          insertLength(object, replacement), error.out()) &&
          !error)) {
        return false;
    }
    const int length = int(replacement.toUcs4().size());
    atspi_text_set_caret_offset(text.get(), start + length, error.out());
    return true;
}

std::optional<int> caretWithoutSelection(AtspiAccessible* object) {
    const GObjectRef<AtspiText> text(atspi_accessible_get_text_iface(object));
    if (!text) {
        return std::nullopt;
    }
    // Unlike selectionOf, a failing call is no answer here.
    GErrorSlot error;
    const int count = atspi_text_get_n_selections(text.get(), error.out());
    if (error || count < 0) {
        return std::nullopt;
    }
    for (int i = 0; i < count; ++i) {
        const GFreed<AtspiRange> range(atspi_text_get_selection(text.get(), i, error.out()));
        if (error || !range || range->start_offset != range->end_offset) {
            return std::nullopt;
        }
    }
    const int caret = atspi_text_get_caret_offset(text.get(), error.out());
    if (error || caret < 0) {
        return std::nullopt;
    }
    return caret;
}

bool setCaretOffset(AtspiAccessible* object, int offset) {
    const GObjectRef<AtspiText> text(atspi_accessible_get_text_iface(object));
    GErrorSlot error;
    return text && atspi_text_set_caret_offset(text.get(), offset, error.out()) && !error;
}

}  // namespace atspiText
