#pragma once

#include <QRect>
#include <QString>
#include <optional>

class XSession;

// The running nivelo's accessibility tree, read the way a screen reader reads it.
class NiveloTree {
public:
    NiveloTree(const XSession& session, qint64 pid);

    // The extents of the first showing object whose accessible name is `name`.
    std::optional<QRect> find(const QString& name) const;
    // Whether a showing object has that name.
    bool shows(const QString& name) const { return find(name).has_value(); }

private:
    qint64 pid_;
};

// Clicks the middle of a rectangle on the session's screen.
void clickAt(const XSession& session, const QRect& rect);
