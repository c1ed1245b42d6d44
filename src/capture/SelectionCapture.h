#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <optional>

#include "capture/PasteboardTiming.h"

// What the hot keys and the selection trigger use of focus memory and the pasteboard
// service: remember the target application and read its selection.
class SelectionCapture {
public:
    virtual ~SelectionCapture() = default;

    virtual void rememberFrontmostApplication() = 0;
    virtual std::optional<qint64> rememberedProcessIdentifier() const = 0;
    // The accessibility selection of the remembered application, untrimmed; "" for none.
    virtual QString peekSelectedTextViaAccessibility() = 0;
    // The selection read by a simulated copy; throws when the read fails.
    virtual QCoro::Task<QString> readSelectedTextTransient(bool selectAllBeforeCopy,
                                                           bool includeFocusedTextFallback,
                                                           PasteboardTiming timing) = 0;
    // Whether key events seen now may be the ones posted by our own pasteboard transactions
    // (they are not the user's).
    virtual bool ownKeyEventsMayArrive() const { return false; }

    // Over FocusService::shared() and PasteboardService::shared().
    static SelectionCapture& shared();
};

class FocusService;
class PasteboardService;

// Selection capture through focus memory and the pasteboard service.
class FocusedSelectionCapture final : public SelectionCapture {
public:
    FocusedSelectionCapture(FocusService& focus, PasteboardService& pasteboard)
        : focus_(focus), pasteboard_(pasteboard) {}

    void rememberFrontmostApplication() override;
    std::optional<qint64> rememberedProcessIdentifier() const override;
    QString peekSelectedTextViaAccessibility() override;
    QCoro::Task<QString> readSelectedTextTransient(bool selectAllBeforeCopy,
                                                   bool includeFocusedTextFallback,
                                                   PasteboardTiming timing) override;
    bool ownKeyEventsMayArrive() const override;

private:
    FocusService& focus_;
    PasteboardService& pasteboard_;
};
