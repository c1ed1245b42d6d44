#include "support/SimulatedPasteboard.h"

QStringList SimulatedPasteboard::itemTypes(int index) const {
    QStringList out;
    if (index < 0 || index >= items_.size()) {
        return out;
    }
    for (const auto& value : items_[index]) {
        out.append(value.type);
    }
    return out;
}

std::optional<QByteArray> SimulatedPasteboard::itemData(int index, const QString& type) const {
    if (index < 0 || index >= items_.size()) {
        return std::nullopt;
    }
    for (const auto& value : items_[index]) {
        if (value.type == type) {
            return value.data;
        }
    }
    return std::nullopt;
}

QStringList SimulatedPasteboard::types() const {
    QStringList out;
    for (int i = 0; i < items_.size(); ++i) {
        for (const QString& type : itemTypes(i)) {
            if (!out.contains(type)) {
                out.append(type);
            }
        }
    }
    return out;
}

PasteboardTextRead SimulatedPasteboard::readPlainText() const {
    if (unanswered_ > 0) {
        --unanswered_;
        return {std::nullopt, false};
    }
    for (int i = 0; i < items_.size(); ++i) {
        if (auto data = itemData(i, kPlainTextType)) {
            return {QString::fromUtf8(*data)};
        }
    }
    return {};
}

void SimulatedPasteboard::clear() {
    items_.clear();
    owner_.reset();
    ++changeCount_;
    stopped_ = false;
    ++clears_;
}

void SimulatedPasteboard::writeItems(const QList<PasteboardItem>& items) {
    textServed_ = !servesLater_;
    for (const auto& item : items) {
        SimulatedPasteboardItem simulated;
        for (const auto& value : item.values) {
            simulated.append({value.type, value.data});
        }
        items_.append(std::move(simulated));
    }
    owner_ = kOwnPid;
    ++changeCount_;
    stopped_ = false;
    ++writes_;
}

void SimulatedPasteboard::setPlainText(const QString& text) {
    textServed_ = !servesLater_;
    items_.append({{kPlainTextType, text.toUtf8()}});
    owner_ = kOwnPid;
    ++changeCount_;
    stopped_ = false;
    ++writes_;
}

void SimulatedPasteboard::putItems(QList<SimulatedPasteboardItem> items,
                                   std::optional<qint64> owner) {
    items_ = std::move(items);
    owner_ = owner;
    ++changeCount_;
    stopped_ = false;
}

void SimulatedPasteboard::putText(const QString& text, std::optional<qint64> owner) {
    putItems({{{kPlainTextType, text.toUtf8()}}}, owner);
}

QList<PasteboardItem> SimulatedPasteboard::content() const {
    QList<PasteboardItem> out;
    for (const auto& item : items_) {
        PasteboardItem copy;
        for (const auto& value : item) {
            if (value.data) {
                copy.values.append({value.type, *value.data});
            }
        }
        out.append(std::move(copy));
    }
    return out;
}
