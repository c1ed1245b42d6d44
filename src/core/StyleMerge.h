#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

namespace style_merge {

inline QString orElse(const QString& value, const QString& fallback) {
    return value.isEmpty() ? fallback : value;
}

// The ids of a style list.
template <typename Style>
QSet<QString> idsOf(const QList<Style>& styles) {
    QSet<QString> ids;
    for (const Style& s : styles) {
        ids.insert(s.id);
    }
    return ids;
}

// The built-ins in their own order, each merged with the saved entry of its id, followed by
// the saved styles of other ids in saved order. A saved list that holds an id twice counts
// only its first entry of that id.
template <typename Style, typename MergeOne>
QList<Style> withBuiltIns(const QList<Style>& saved, const QList<Style>& builtIns,
                          MergeOne mergeOne) {
    QHash<QString, const Style*> firstById;
    for (const Style& s : saved) {
        if (!firstById.contains(s.id)) {
            firstById.insert(s.id, &s);
        }
    }
    const QSet<QString> builtInIds = idsOf(builtIns);
    QList<Style> out;
    for (const Style& builtIn : builtIns) {
        const Style* savedStyle = firstById.value(builtIn.id);
        out.append(savedStyle ? mergeOne(builtIn, *savedStyle) : builtIn);
    }
    for (const Style& s : saved) {
        if (!builtInIds.contains(s.id) && firstById.value(s.id) == &s) {
            out.append(s);
        }
    }
    return out;
}

}  // namespace style_merge
