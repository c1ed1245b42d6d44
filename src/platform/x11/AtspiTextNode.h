#pragma once

#include <memory>

#include "platform/EmbeddedTextNode.h"
#include "platform/x11/GObjectRef.h"

typedef struct _AtspiAccessible AtspiAccessible;
typedef struct _AtspiText AtspiText;

// An AT-SPI element with a Text interface, read as a node of its page's text: its children
// come through Hypertext (the link at an object character's offset, and that link's object).
class AtspiTextNode : public EmbeddedTextNode {
public:
    // Null when the element has no Text interface. Takes a reference of its own.
    static std::unique_ptr<AtspiTextNode> of(AtspiAccessible* object);
    ~AtspiTextNode() override;
    AtspiTextNode(const AtspiTextNode&) = delete;
    AtspiTextNode& operator=(const AtspiTextNode&) = delete;

    AtspiText* textInterface() const { return text_.get(); }

    int length() override;
    QString text(int start, int end) override;
    std::optional<std::pair<int, int>> selection() override;
    std::unique_ptr<EmbeddedTextNode> child(int offset) override;
    Layout layout() override;
    int markerLength() override;

private:
    AtspiTextNode(GObjectRef<AtspiAccessible> object, GObjectRef<AtspiText> text);

    GObjectRef<AtspiAccessible> object_;
    GObjectRef<AtspiText> text_;
};
