#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>

class QMimeData;
class X11Connection;
class X11SelectionReader;

// PRIMARY, where an X terminal keeps the text it has highlighted. A terminal without clipboard
// keys is read from it and pastes from it (Shift+Insert), so a paste lends PRIMARY for a moment
// and gives the previous content back afterwards.
class X11PrimarySelection : public QObject {
    Q_OBJECT
public:
    explicit X11PrimarySelection(std::shared_ptr<X11Connection> connection);
    ~X11PrimarySelection() override;

    // PRIMARY's text when a window of the same top-level window as `window` owns it; none when
    // another client (or nobody) does: then that window has nothing selected.
    std::optional<QString> textOwnedByWindowOf(unsigned long window) const;

    // Puts `text` into PRIMARY until a client has fetched it, or at most `holdMs`; then
    // PRIMARY gets its previous content back, unless someone else took it meanwhile.
    void lend(const QString& text, int holdMs = 2000);
    bool isLent() const { return !lent_.isNull(); }

private:
    void giveBack();

    std::shared_ptr<X11Connection> connection_;
    // Another client's PRIMARY, read with the server's time.
    std::unique_ptr<X11SelectionReader> reader_;
    QPointer<QMimeData> lent_;
    // PRIMARY's content before the first lend; empty when it had none.
    std::unique_ptr<QMimeData> saved_;
    QTimer holdTimer_;
};
