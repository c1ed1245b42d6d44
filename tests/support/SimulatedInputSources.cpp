#include "support/SimulatedInputSources.h"

namespace {
// Key codes of the character rows, left to right, top to bottom: backquote, the letter rows
// with their brackets and punctuation, then the digits 1 to 0.
const quint16 kRowKeys[] = {50, 12, 13, 14, 15, 17, 16, 32, 34, 31, 35, 33, 30, 0,  1,
                            2,  3,  5,  4,  38, 40, 37, 41, 39, 6,  7,  8,  9,  11, 45,
                            46, 43, 47, 44, 18, 19, 20, 21, 23, 22, 26, 28, 25, 29};

SimulatedInputSources::Layout rowLayout(const QString& name, const QString& id,
                                        const QString& plain, const QString& shifted) {
    SimulatedInputSources::Layout layout;
    layout.source = {id, name};
    for (qsizetype i = 0; i < plain.size(); ++i) {
        layout.plain.insert(kRowKeys[i], plain.mid(i, 1));
        layout.shifted.insert(kRowKeys[i], shifted.mid(i, 1));
    }
    layout.plain.insert(49, QStringLiteral(" "));
    layout.shifted.insert(49, QStringLiteral(" "));
    layout.plain.insert(36, QStringLiteral("\r"));
    layout.plain.insert(48, QStringLiteral("\t"));
    return layout;
}
}  // namespace

SimulatedInputSources::Layout SimulatedInputSources::usLayout(const QString& name,
                                                              const QString& id) {
    return rowLayout(name, id, QStringLiteral("`qwertyuiop[]asdfghjkl;'zxcvbnm,./1234567890"),
                     QStringLiteral("~QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>?!@#$%^&*()"));
}

SimulatedInputSources::Layout SimulatedInputSources::russianLayout(const QString& name,
                                                                   const QString& id) {
    return rowLayout(name, id, QStringLiteral("ёйцукенгшщзхъфывапролджэячсмитьбю.1234567890"),
                     QStringLiteral("ЁЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ,!\"№;%:?*()"));
}

SimulatedInputSources::Layout SimulatedInputSources::bareLayout(const QString& name,
                                                                const QString& id) {
    Layout layout;
    layout.source = {id, name};
    layout.hasKeyMap = false;
    return layout;
}

void SimulatedInputSources::addLayout(Layout layout) {
    if (currentId_.isEmpty()) {
        currentId_ = layout.source.id;
    }
    layouts_.append(std::move(layout));
}

QList<InputSource> SimulatedInputSources::enabledSources() const {
    QList<InputSource> out;
    for (const Layout& l : layouts_) {
        out << l.source;
    }
    return out;
}

std::optional<InputSource> SimulatedInputSources::currentSource() const {
    if (currentUnknown) {
        return std::nullopt;
    }
    if (const Layout* l = find(currentId_)) {
        return l->source;
    }
    return std::nullopt;
}

int SimulatedInputSources::select(const QString& id) {
    ++selectCalls;
    if (failingSelects > 0) {
        --failingSelects;
        return -50;
    }
    if (!find(id)) {
        return -50;
    }
    currentId_ = id;
    return 0;
}

bool SimulatedInputSources::hasKeyMap(const QString& id) const {
    const Layout* l = find(id);
    return l && l->hasKeyMap;
}

QString SimulatedInputSources::translateKey(const QString& id, quint16 keyCode, bool shift) const {
    ++translateCalls;
    const Layout* l = find(id);
    if (!l || !l->hasKeyMap) {
        return {};
    }
    return (shift ? l->shifted : l->plain).value(keyCode);
}

const SimulatedInputSources::Layout* SimulatedInputSources::find(const QString& id) const {
    for (const Layout& l : layouts_) {
        if (l.source.id == id) {
            return &l;
        }
    }
    return nullptr;
}
