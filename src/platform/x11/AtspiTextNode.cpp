#include "platform/x11/AtspiTextNode.h"

#include <atspi/atspi.h>

namespace {
struct HashTableUnref {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
using HashTable = std::unique_ptr<GHashTable, HashTableUnref>;

AtspiRole roleOf(AtspiAccessible* object) {
    GErrorSlot error;
    const AtspiRole role = atspi_accessible_get_role(object, error.out());
    return error ? ATSPI_ROLE_INVALID : role;
}

QString objectAttribute(AtspiAccessible* object, const char* name) {
    GErrorSlot error;
    const HashTable attributes(atspi_accessible_get_attributes(object, error.out()));
    if (!attributes) {
        return {};
    }
    return QString::fromUtf8(static_cast<const char*>(g_hash_table_lookup(attributes.get(), name)));
}

bool isBlockRole(AtspiRole role) {
    switch (role) {
        case ATSPI_ROLE_SECTION:
        case ATSPI_ROLE_PANEL:
        case ATSPI_ROLE_LIST:
        case ATSPI_ROLE_LIST_ITEM:
        case ATSPI_ROLE_DESCRIPTION_LIST:
        case ATSPI_ROLE_DESCRIPTION_TERM:
        case ATSPI_ROLE_DESCRIPTION_VALUE:
        case ATSPI_ROLE_BLOCK_QUOTE:
        case ATSPI_ROLE_TABLE:
        case ATSPI_ROLE_TABLE_ROW:
        case ATSPI_ROLE_FORM:
        case ATSPI_ROLE_ARTICLE:
        case ATSPI_ROLE_LANDMARK:
        case ATSPI_ROLE_HEADER:
        case ATSPI_ROLE_FOOTER:
        case ATSPI_ROLE_CAPTION:
        case ATSPI_ROLE_DOCUMENT_FRAME:
        case ATSPI_ROLE_DOCUMENT_WEB:
        case ATSPI_ROLE_ENTRY:
            return true;
        default:
            return false;
    }
}
}  // namespace

std::unique_ptr<AtspiTextNode> AtspiTextNode::of(AtspiAccessible* object) {
    if (!object) {
        return nullptr;
    }
    GObjectRef<AtspiText> text(atspi_accessible_get_text_iface(object));
    if (!text) {
        return nullptr;
    }
    return std::unique_ptr<AtspiTextNode>(
        new AtspiTextNode(GObjectRef<AtspiAccessible>::borrowed(object), std::move(text)));
}

AtspiTextNode::AtspiTextNode(GObjectRef<AtspiAccessible> object, GObjectRef<AtspiText> text)
    : object_(std::move(object)), text_(std::move(text)) {}

AtspiTextNode::~AtspiTextNode() = default;

int AtspiTextNode::length() {
    GErrorSlot error;
    const int count = atspi_text_get_character_count(text_.get(), error.out());
    return error ? 0 : qMax(count, 0);
}

QString AtspiTextNode::text(int start, int end) {
    GErrorSlot error;
    QString chars = takeString(atspi_text_get_text(text_.get(), start, end, error.out()));
    return error ? QString() : chars;
}

std::optional<std::pair<int, int>> AtspiTextNode::selection() {
    GErrorSlot error;
    const int count = atspi_text_get_n_selections(text_.get(), error.out());
    if (error || count <= 0) {
        return std::nullopt;
    }
    const GFreed<AtspiRange> range(atspi_text_get_selection(text_.get(), 0, error.out()));
    if (error || !range || range->start_offset >= range->end_offset) {
        return std::nullopt;
    }
    return std::pair<int, int>{range->start_offset, range->end_offset};
}

std::unique_ptr<EmbeddedTextNode> AtspiTextNode::child(int offset) {
    const GObjectRef<AtspiHypertext> hypertext(atspi_accessible_get_hypertext_iface(object_.get()));
    if (!hypertext) {
        return nullptr;
    }
    GErrorSlot error;
    GObjectRef<AtspiAccessible> object;
    const int index = atspi_hypertext_get_link_index(hypertext.get(), offset, error.out());
    if (!error && index >= 0) {
        const GObjectRef<AtspiHyperlink> link(
            atspi_hypertext_get_link(hypertext.get(), index, error.out()));
        if (link && !error) {
            object =
                GObjectRef<AtspiAccessible>(atspi_hyperlink_get_object(link.get(), 0, error.out()));
        }
    }
    return of(object.get());
}

EmbeddedTextNode::Layout AtspiTextNode::layout() {
    // The page's own layout where the browser tells it; the role where it does not.
    const QString display = objectAttribute(object_.get(), "display");
    if (display.startsWith(QLatin1String("inline"))) {
        return Layout::Inline;
    }
    const AtspiRole role = roleOf(object_.get());
    if (role == ATSPI_ROLE_PARAGRAPH || role == ATSPI_ROLE_HEADING) {
        return Layout::Paragraph;
    }
    return !display.isEmpty() || isBlockRole(role) ? Layout::Block : Layout::Inline;
}

int AtspiTextNode::markerLength() {
    if (roleOf(object_.get()) != ATSPI_ROLE_LIST_ITEM) {
        return 0;
    }
    // Firefox marks the marker's run of text as generated.
    {
        GErrorSlot error;
        int start = 0;
        int end = 0;
        const HashTable attributes(
            atspi_text_get_attribute_run(text_.get(), 0, FALSE, &start, &end, error.out()));
        if (!error && attributes && start == 0 && end > 0 &&
            QLatin1String(static_cast<const char*>(g_hash_table_lookup(
                attributes.get(), "auto-generated"))) == QLatin1String("true")) {
            return end;
        }
    }
    // Chromium gives the marker an element of its own, first among the item's children.
    GErrorSlot error;
    const GObjectRef<AtspiAccessible> first(
        atspi_accessible_get_child_at_index(object_.get(), 0, error.out()));
    if (first && objectAttribute(first.get(), "tag") == QLatin1String("::marker")) {
        if (const auto marker = of(first.get())) {
            return marker->length();
        }
    }
    return 0;
}
