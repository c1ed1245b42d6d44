#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "theme/NiveloTheme.h"

class LanguagePicker;
class QLabel;
class QPushButton;
class QToolButton;
class SampleLetter;
class SelectablePreviewTextView;
class TranslationPreviewPanelController;

// What the preview shows for the controller's fields, with the panes area this wide.
struct TranslationPreviewPanelModel {
    QString title;
    // Accessible names of the window and of parts that show no text of their own.
    QString panelName;
    QString headerName;
    QString busyName;
    QString textsName;
    QString errorName;
    QString textFrameName;
    QString sourceToggleSymbol;
    QString sourceToggleHelp;
    QString textSizeHelp;
    QString decreaseHelp;
    QString increaseHelp;
    QString languageLabel;
    QString sourceTitle;
    // The target language as stored.
    QString resultTitle;
    QString resultPlaceholder;
    QString fromClipboard;
    QString copy;
    QString insert;

    QString sourceText;
    QString resultText;
    QString errorText;
    QString targetLanguage;
    bool showsProgress = false;
    bool showsSourcePane = false;
    double fontSize = 0;
    int sampleLetterPixelSize = 0;
    bool decreaseEnabled = false;
    bool increaseEnabled = false;
    bool languagePickerEnabled = false;
    bool fromClipboardEnabled = false;
    bool copyEnabled = false;
    bool insertEnabled = false;

    bool operator==(const TranslationPreviewPanelModel&) const = default;
};

// Both panes need this much width side by side.
inline constexpr int kPreviewBothPanesMinWidth = 620;

TranslationPreviewPanelModel translationPreviewPanelModel(
    const TranslationPreviewPanelController& controller, int panesWidth);

// The content of the translation preview: a header (title, busy spinner, source toggle, text
// size, target language), the selection beside its translation, an error line and the
// "From Clipboard", "Copy" and "Insert" buttons. It keeps no state: it redraws from the
// controller's fields on every change and calls the controller's operations.
class TranslationPreviewPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCornerRadius = 22;
    static constexpr int kPadding = 16;

    explicit TranslationPreviewPanel(TranslationPreviewPanelController& controller,
                                     QWidget* parent = nullptr);

    const TranslationPreviewPanelModel& model() const { return model_; }

    // The size the sample letter is drawn at once its animation is over.
    int sampleLetterPixelSize() const;

    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makePane(QLabel*& title, SelectablePreviewTextView*& view);
    void applyLook(const QColor& primary, const QColor& secondary, ColorScheme scheme);

    TranslationPreviewPanelController& controller_;
    TranslationPreviewPanelModel model_;
    // What the surface and the icons were last drawn for.
    struct SurfaceKey {
        AppearanceMode appearance;
        SurfaceMode surface;
        ColorScheme environment;
        bool operator==(const SurfaceKey&) const = default;
    };
    std::optional<SurfaceKey> surface_;
    QString look_;
    QWidget* header_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* titleIcon_ = nullptr;
    QWidget* spinner_ = nullptr;
    QToolButton* sourceToggle_ = nullptr;
    QWidget* fontControls_ = nullptr;
    QToolButton* decrease_ = nullptr;
    SampleLetter* sampleLetter_ = nullptr;
    QToolButton* increase_ = nullptr;
    LanguagePicker* languagePicker_ = nullptr;
    QWidget* panesArea_ = nullptr;
    QWidget* sourcePane_ = nullptr;
    QLabel* sourceTitle_ = nullptr;
    SelectablePreviewTextView* sourceView_ = nullptr;
    QWidget* resultPane_ = nullptr;
    QLabel* resultTitle_ = nullptr;
    SelectablePreviewTextView* resultView_ = nullptr;
    QLabel* errorLabel_ = nullptr;
    QPushButton* fromClipboard_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* insert_ = nullptr;
};
