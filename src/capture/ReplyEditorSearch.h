#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QRectF>
#include <QString>
#include <optional>

#include "platform/Accessibility.h"

// Finds, scores and focuses the message editor of a chat application through its
// accessibility tree. One search object serves one focusing attempt: its walks share a
// budget of about kBudgetMs, and a walk cut short works with what it found so far.
class ReplyEditorSearch {
public:
    static constexpr int kAncestorLimit = 16;
    static constexpr int kWebContentLimit = 64;
    static constexpr int kWebAreaVisitLimit = 2000;
    static constexpr int kWalkVisitLimit = 30000;
    static constexpr int kSearchResultsLimit = 100;
    static constexpr double kMinimumWidth = 40;
    static constexpr double kMinimumHeight = 14;
    static constexpr qint64 kBudgetMs = 500;

    explicit ReplyEditorSearch(Accessibility& accessibility);

    // The children that are there (a tree may list a child it cannot give).
    QList<AXElementPtr> children(const AXElementPtr& element);

    // Text fields and areas that can take the focus; groups only when they edit text.
    bool isEditableElement(const AXElementPtr& element, const std::optional<AXRole>& role);
    AXElementPtr editableAncestor(const AXElementPtr& start);
    // Under a web area (or an element a browser marks as its own) and no toolbar between.
    bool isInsideWebContent(const AXElementPtr& element);
    QList<AXElementPtr> webAreas(const AXElementPtr& root);
    QList<AXElementPtr> searchEditableElements(const AXElementPtr& root);
    // The editors of a window big enough to type in: the web areas' first, else any.
    QList<AXElementPtr> editableElements(const AXElementPtr& root);
    // The same with the window's web areas already found.
    QList<AXElementPtr> editableElements(const AXElementPtr& root,
                                         const QList<AXElementPtr>& areas);
    bool isActuallyFocused(const AXElementPtr& element, const AXElementPtr& application);
    bool focus(const AXElementPtr& element, const AXElementPtr& application);
    // Empty fields, text areas, lower and wider ones first.
    double candidateScore(const AXElementPtr& element);
    // The first focused candidate, else the best-scoring one (ties: the earlier); null when
    // there are none.
    AXElementPtr choose(const QList<AXElementPtr>& candidates);

    bool budgetSpent() const { return timer_.elapsed() > kBudgetMs; }

private:
    bool hasUsableSize(const AXElementPtr& element);
    // Elements found under `root` in tree order put in breadth-first order, as the walks meet
    // them; with `outermostOnly`, those inside another one dropped.
    QList<AXElementPtr> breadthFirst(const QList<AXElementPtr>& elements, const AXElementPtr& root,
                                     bool outermostOnly);

    Accessibility& accessibility_;
    QElapsedTimer timer_;
};
