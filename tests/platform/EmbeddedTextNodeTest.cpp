#include <gtest/gtest.h>

#include <QMap>

#include "platform/EmbeddedTextNode.h"
#include "support/QtPrinters.h"

// Pages as the browsers show them over AT-SPI: each child element is one U+FFFC in its
// parent's text, and each element holds its own selection.
namespace {
using Layout = EmbeddedTextNode::Layout;
const QString kObject(QChar(0xFFFC));

struct Element {
    QString text;
    std::optional<std::pair<int, int>> selection;
    Layout layout = Layout::Inline;
    int marker = 0;
    QMap<int, std::shared_ptr<Element>> children;

    // Adds a child at the next object character of the text.
    Element& add(std::shared_ptr<Element> child) {
        const QList<uint> characters = text.toUcs4();
        int seen = 0;
        for (int i = 0; i < int(characters.size()); ++i) {
            if (characters[i] == 0xFFFC && seen++ == int(children.size())) {
                children.insert(i, std::move(child));
                break;
            }
        }
        return *this;
    }
};
using ElementPtr = std::shared_ptr<Element>;

ElementPtr element(const QString& text, Layout layout = Layout::Inline,
                   std::optional<std::pair<int, int>> selection = std::nullopt) {
    auto made = std::make_shared<Element>();
    made->text = text;
    made->layout = layout;
    made->selection = selection;
    return made;
}
ElementPtr paragraph(const QString& text, std::optional<std::pair<int, int>> selection = {}) {
    return element(text, Layout::Paragraph, selection);
}
ElementPtr item(const QString& text, int marker, std::optional<std::pair<int, int>> selection) {
    auto made = element(text, Layout::Block, selection);
    made->marker = marker;
    return made;
}
// A document of these blocks, its selection over the ones from first to last.
ElementPtr document(const QList<ElementPtr>& blocks, int first, int last) {
    auto doc = element(QString(kObject).repeated(blocks.size()), Layout::Block,
                       std::pair<int, int>{first, last + 1});
    for (const auto& block : blocks) {
        doc->add(block);
    }
    return doc;
}

class FakeNode : public EmbeddedTextNode {
public:
    explicit FakeNode(ElementPtr element, int* childCalls = nullptr)
        : element_(std::move(element)), childCalls_(childCalls) {}
    int length() override { return int(element_->text.toUcs4().size()); }
    QString text(int start, int end) override {
        const QList<uint> characters = element_->text.toUcs4();
        return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()) + start,
                                 end - start);
    }
    std::optional<std::pair<int, int>> selection() override { return element_->selection; }
    std::unique_ptr<EmbeddedTextNode> child(int offset) override {
        if (childCalls_) {
            ++*childCalls_;
        }
        const auto found = element_->children.value(offset);
        return found ? std::make_unique<FakeNode>(found, childCalls_) : nullptr;
    }
    Layout layout() override { return element_->layout; }
    int markerLength() override { return element_->marker; }

private:
    ElementPtr element_;
    int* childCalls_;
};

QString selected(const ElementPtr& root) {
    FakeNode node(root);
    return expandedText(node, EmbeddedTextPart::Selection).value_or("<none>");
}

struct Case {
    const char* name;
    std::function<ElementPtr()> page;
    QString expected;
};

const Case kCases[] = {
    {"AParagraphWithALinkAndBoldText",
     [] {
         auto p = paragraph("First " + kObject + " and bold text.", std::pair{0, 22});
         p->add(element("link here", Layout::Inline, std::pair{0, 9}));
         return document({p, paragraph("Second.")}, 0, 0);
     },
     "First link here and bold text."},
    {"FromTheMiddleOfOneParagraphToTheMiddleOfAThird",
     [] {
         auto first = paragraph("First " + kObject + " ends.", std::pair{2, 13});
         first->add(element("link", Layout::Inline, std::pair{0, 4}));
         return document({first, paragraph("Second whole.", std::pair{0, 13}),
                          paragraph("Third one.", std::pair{0, 5})},
                         0, 2);
     },
     "rst link ends.\n\nSecond whole.\n\nThird"},
    {"AChildWithoutItsOwnSelectionTakesPartWhole",
     [] {
         return document({paragraph("One.", std::pair{0, 4}), paragraph("Two."),
                          paragraph("Three.", std::pair{0, 3})},
                         0, 2);
     },
     "One.\n\nTwo.\n\nThr"},
    {"NestedChildrenCutInsideTheFirstAndTheLast",
     [] {
         auto section = element(kObject + kObject, Layout::Block, std::pair{0, 2});
         section->add(paragraph("Inner one", std::pair{6, 9}))
             .add(paragraph("Inner two", std::pair{0, 9}));
         return document({section, element("Plain div", Layout::Block, std::pair{0, 5})}, 0, 1);
     },
     "one\n\nInner two\nPlain"},
    {"SiblingDivsAreOneLineEach",
     [] {
         return document({element("Div one", Layout::Block, std::pair{0, 7}),
                          element("Div two", Layout::Block, std::pair{0, 7})},
                         0, 1);
     },
     "Div one\nDiv two"},
    {"PartOfAListWithoutItsMarkers",
     [] {
         auto list = element(kObject + kObject + kObject, Layout::Block, std::pair{0, 3});
         list->add(item(QString::fromUtf8("• Apple"), 2, std::pair{4, 7}))
             .add(item(QString::fromUtf8("• Banana"), 2, std::pair{0, 8}))
             .add(item(QString::fromUtf8("• Cherry"), 2, std::pair{0, 5}));
         return document({paragraph("Before."), list}, 1, 1);
     },
     "ple\nBanana\nChe"},
    {"AnOrderedListWhole",
     [] {
         auto list = element(kObject + kObject, Layout::Block, std::pair{0, 2});
         list->add(item("1. Uno", 3, std::pair{0, 6})).add(item("2. Dos", 3, std::pair{0, 6}));
         return document({list}, 0, 0);
     },
     "Uno\nDos"},
    {"OnlyTheMarkerSelected",
     [] {
         return document({item(QString::fromUtf8("• Apple"), 2, std::pair{0, 2})}, 0, 0);
     },
     ""},
    {"ALineBreakInsideAParagraphStays",
     [] {
         return document({paragraph("Line one\nLine two", std::pair{0, 17})}, 0, 0);
     },
     "Line one\nLine two"},
    {"OnlyObjectCharactersLeftGiveNothing",
     [] {
         auto doc = element(kObject + " " + kObject + kObject, Layout::Block, std::pair{0, 4});
         doc->add(paragraph("", std::pair{0, 0})).add(element(" \n", Layout::Block));
         return doc;
     },
     ""},
    {"ChildrenOutsideTheRangeStayOut",
     [] {
         return document({paragraph("Before.", std::pair{0, 7}), paragraph("Chosen."),
                          paragraph("After.", std::pair{0, 6})},
                         1, 1);
     },
     "Chosen."},
    {"ATextFieldWithoutObjectsKeepsItsSpaces",
     [] {
         return element("  two words  ", Layout::Block, std::pair{0, 13});
     },
     "  two words  "},
    {"OffsetsCountCharactersNotUnits",
     [] {
         auto p = paragraph(QString::fromUtf8("😀 ") + kObject + "!", std::pair{0, 4});
         p->add(element("link", Layout::Inline, std::pair{0, 4}));
         return p;
     },
     QString::fromUtf8("😀 link!")},
    {"NoSelectionGivesNothing", [] { return paragraph("Some text"); }, ""},
};

class EmbeddedTextCases : public ::testing::TestWithParam<Case> {};

TEST_P(EmbeddedTextCases, ReadsTheSelectionAsACopyGivesIt) {
    EXPECT_EQ(selected(GetParam().page()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, EmbeddedTextCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

TEST(EmbeddedText, TheWholeTextIgnoresSelections) {
    auto p = paragraph("A " + kObject + " b", std::pair{0, 1});
    p->add(element("link", Layout::Inline, std::pair{1, 2}));
    auto list = element(kObject + kObject, Layout::Block);
    list->add(item("1. Uno", 3, std::nullopt)).add(item("2. Dos", 3, std::nullopt));
    FakeNode node(document({p, paragraph("Next."), list}, 0, 0));
    EXPECT_EQ(expandedText(node, EmbeddedTextPart::Whole), "A link b\n\nNext.\nUno\nDos");
}

TEST(EmbeddedText, GivesNoneWhenTheTreeCannotBeReadWhole) {
    // Deeper than any page: a chain of 40 sections.
    ElementPtr deepest = paragraph("deep", std::pair{0, 4});
    for (int i = 0; i < 40; ++i) {
        auto outer = element(kObject, Layout::Block, std::pair{0, 1});
        outer->add(deepest);
        deepest = outer;
    }
    FakeNode deep(deepest);
    EXPECT_EQ(expandedText(deep, EmbeddedTextPart::Selection), std::nullopt);

    // Out of time after the second child: nothing more is asked.
    int childCalls = 0;
    FakeNode wide(document({paragraph("a"), paragraph("b"), paragraph("c"), paragraph("d")}, 0, 3),
                  &childCalls);
    int asked = 0;
    EXPECT_EQ(expandedText(wide, EmbeddedTextPart::Selection, [&] { return ++asked > 2; }),
              std::nullopt);
    EXPECT_EQ(childCalls, 2);

    // Within time, the same read gives the text.
    FakeNode timely(document({paragraph("a"), paragraph("b")}, 0, 1));
    EXPECT_EQ(expandedText(timely, EmbeddedTextPart::Selection, [] { return false; }), "a\n\nb");
}
