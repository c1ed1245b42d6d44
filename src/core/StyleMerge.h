#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace style_merge {

inline QString orElse(const QString& value, const QString& fallback) {
    return value.isEmpty() ? fallback : value;
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
    QList<Style> out;
    QHash<QString, bool> builtInIds;
    for (const Style& builtIn : builtIns) {
        builtInIds.insert(builtIn.id, true);
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
