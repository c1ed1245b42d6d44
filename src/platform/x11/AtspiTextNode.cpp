#include "platform/x11/AtspiTextNode.h"

#include <atspi/atspi.h>

namespace {
QString takeString(gchar* text) {
    if (!text) {
        return {};
    }
    QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

AtspiRole roleOf(AtspiAccessible* object) {
    GError* error = nullptr;
    const AtspiRole role = atspi_accessible_get_role(object, &error);
    if (error) {
        g_error_free(error);
        return ATSPI_ROLE_INVALID;
    }
    return role;
}

QString objectAttribute(AtspiAccessible* object, const char* name) {
    GError* error = nullptr;
    GHashTable* attributes = atspi_accessible_get_attributes(object, &error);
    QString value;
    if (attributes) {
        value = QString::fromUtf8(static_cast<const char*>(g_hash_table_lookup(attributes, name)));
        g_hash_table_unref(attributes);
    }
    if (error) {
        g_error_free(error);
    }
    return value;
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
    AtspiText* text = atspi_accessible_get_text_iface(object);
    if (!text) {
        return nullptr;
    }
    return std::unique_ptr<AtspiTextNode>(
        new AtspiTextNode(static_cast<AtspiAccessible*>(g_object_ref(object)), text));
}

AtspiTextNode::AtspiTextNode(AtspiAccessible* object, AtspiText* text)
    : object_(object), text_(text) {}

AtspiTextNode::~AtspiTextNode() {
    g_object_unref(text_);
    g_object_unref(object_);
}

int AtspiTextNode::length() {
    GError* error = nullptr;
    const int count = atspi_text_get_character_count(text_, &error);
    if (error) {
        g_error_free(error);
        return 0;
    }
    return qMax(count, 0);
}

QString AtspiTextNode::text(int start, int end) {
    GError* error = nullptr;
    gchar* chars = atspi_text_get_text(text_, start, end, &error);
    if (error) {
        g_error_free(error);
        g_free(chars);
        return {};
    }
    return takeString(chars);
}

std::optional<std::pair<int, int>> AtspiTextNode::selection() {
    GError* error = nullptr;
    const int count = atspi_text_get_n_selections(text_, &error);
    if (error) {
        g_error_free(error);
        return std::nullopt;
    }
    if (count <= 0) {
        return std::nullopt;
    }
    AtspiRange* range = atspi_text_get_selection(text_, 0, &error);
    if (error || !range) {
        if (error) {
            g_error_free(error);
        }
        g_free(range);
        return std::nullopt;
    }
    const std::pair<int, int> bounds{range->start_offset, range->end_offset};
    g_free(range);
    if (bounds.first >= bounds.second) {
        return std::nullopt;
    }
    return bounds;
}

std::unique_ptr<EmbeddedTextNode> AtspiTextNode::child(int offset) {
    AtspiHypertext* hypertext = atspi_accessible_get_hypertext_iface(object_);
    if (!hypertext) {
        return nullptr;
    }
    GError* error = nullptr;
    AtspiAccessible* object = nullptr;
    const int index = atspi_hypertext_get_link_index(hypertext, offset, &error);
    if (!error && index >= 0) {
        if (AtspiHyperlink* link = atspi_hypertext_get_link(hypertext, index, &error)) {
            if (!error) {
                object = atspi_hyperlink_get_object(link, 0, &error);
            }
            g_object_unref(link);
        }
    }
    if (error) {
        g_error_free(error);
    }
    g_object_unref(hypertext);
    std::unique_ptr<EmbeddedTextNode> node = of(object);
    if (object) {
        g_object_unref(object);
    }
    return node;
}

EmbeddedTextNode::Layout AtspiTextNode::layout() {
    // The page's own layout where the browser tells it; the role where it does not.
    const QString display = objectAttribute(object_, "display");
    if (display.startsWith(QLatin1String("inline"))) {
        return Layout::Inline;
    }
    const AtspiRole role = roleOf(object_);
    if (role == ATSPI_ROLE_PARAGRAPH || role == ATSPI_ROLE_HEADING) {
        return Layout::Paragraph;
    }
    return !display.isEmpty() || isBlockRole(role) ? Layout::Block : Layout::Inline;
}

int AtspiTextNode::markerLength() {
    if (roleOf(object_) != ATSPI_ROLE_LIST_ITEM) {
        return 0;
    }
    // Firefox marks the marker's run of text as generated.
    GError* error = nullptr;
    int start = 0;
    int end = 0;
    GHashTable* attributes = atspi_text_get_attribute_run(text_, 0, FALSE, &start, &end, &error);
    int length = 0;
    if (!error && attributes && start == 0 &&
        QLatin1String(static_cast<const char*>(
            g_hash_table_lookup(attributes, "auto-generated"))) == QLatin1String("true")) {
        length = end;
    }
    if (attributes) {
        g_hash_table_unref(attributes);
    }
    if (error) {
        g_error_free(error);
        error = nullptr;
    }
    if (length > 0) {
        return length;
    }
    // Chromium gives the marker an element of its own, first among the item's children.
    AtspiAccessible* first = atspi_accessible_get_child_at_index(object_, 0, &error);
    if (error) {
        g_error_free(error);
    }
    if (first) {
        if (objectAttribute(first, "tag") == QLatin1String("::marker")) {
            if (const auto marker = of(first)) {
                length = marker->length();
            }
        }
        g_object_unref(first);
    }
    return length;
}
