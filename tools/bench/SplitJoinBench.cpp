// Cost of cutting a long text into backend pieces and joining the answers again, for a
// 100 KB and a 1 MB text. The cost should grow linearly: the ratio should be about 10. Joining
// unchanged answers must give back the text exactly.
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "backend/BackendClient.h"
#include "core/NiveloPromptLibrary.h"

namespace {

// Prose of about the given number of characters: sentences, line breaks and paragraphs in
// English and Russian, so every kind of cut occurs.
QString prose(qsizetype chars) {
    const QStringList sentences = {
        QStringLiteral("The quick brown fox jumps over the lazy dog. "),
        QStringLiteral("Съешь же ещё этих мягких французских булок, да выпей чаю. "),
        QStringLiteral("Numbers like 3.14 and 2,718 stay where they are. "),
        QStringLiteral("A line that ends without a period\n"),
        QStringLiteral("Short one. "),
    };
    QString text;
    text.reserve(chars + 128);
    for (int i = 0; text.size() < chars; ++i) {
        text += sentences[i % sentences.size()];
        if (i % 23 == 22) {
            text += QStringLiteral("\n\n");
        }
    }
    text.truncate(chars);
    return text;
}

struct Cost {
    double splitMs;
    double joinMs;
    qsizetype pieces;
    bool exact;
};

Cost measure(const QString& text, int rounds) {
    std::vector<double> split;
    std::vector<double> join;
    qsizetype pieces = 0;
    bool exact = true;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const BackendTextPieces cut = cutTextForBackend(text, BackendClient::kMaxPieceChars);
        split.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        const QString joined = joinBackendAnswers(cut.pieces, cut.gaps);
        join.push_back(timer.nsecsElapsed() / 1e6);
        pieces = cut.pieces.size();
        exact = exact && joined == text.trimmed();
    }
    std::sort(split.begin(), split.end());
    std::sort(join.begin(), join.end());
    return {split[split.size() / 2], join[join.size() / 2], pieces, exact};
}

}  // namespace

int main() {
    const QString small = prose(100 * 1024);
    const QString large = prose(1024 * 1024);
    measure(small, 2);  // warm-up
    const Cost a = measure(small, 9);
    const Cost b = measure(large, 5);
    std::printf("split and join, median of runs (pieces of at most %d characters)\n",
                BackendClient::kMaxPieceChars);
    std::printf("  100 KB: split %8.2f ms, join %6.3f ms, %lld pieces, text back exactly: %s\n",
                a.splitMs, a.joinMs, static_cast<long long>(a.pieces), a.exact ? "yes" : "no");
    std::printf("    1 MB: split %8.2f ms, join %6.3f ms, %lld pieces, text back exactly: %s\n",
                b.splitMs, b.joinMs, static_cast<long long>(b.pieces), b.exact ? "yes" : "no");
    const double total = (b.splitMs + b.joinMs) / (a.splitMs + a.joinMs);
    std::printf("  ratio 1 MB / 100 KB: split %.1f, join %.1f, total %.1f (linear: about 10)\n",
                b.splitMs / a.splitMs, b.joinMs / a.joinMs, total);
    return 0;
}
