#include "workspace/NaturalOrder.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <tuple>
#include <vector>

#include "mp3/InputTags.h"

namespace tessaro {
namespace {

// The run of digits from `at` on, its leading zeros left out.
QStringView DigitRun(QStringView text, qsizetype* at) {
    const qsizetype start = *at;
    while (*at < text.size() && text[*at].isDigit()) {
        ++*at;
    }
    QStringView run = text.mid(start, *at - start);
    while (run.size() > 1 && run.front().digitValue() == 0) {
        run = run.mid(1);
    }
    return run;
}

// By value: a longer run without leading zeros is the larger number, whatever its size.
int CompareNumbers(QStringView a, QStringView b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].digitValue() != b[i].digitValue()) {
            return a[i].digitValue() < b[i].digitValue() ? -1 : 1;
        }
    }
    return 0;
}

// One folder or file name against another; 0 when they are alike but for case and leading zeros.
int ComparePart(QStringView a, QStringView b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            if (const int order = CompareNumbers(DigitRun(a, &i), DigitRun(b, &j))) {
                return order;
            }
            continue;
        }
        // Case folded as Unicode folds it, not as the locale would; whole code points, so that
        // a character beyond the first plane compares as one. A digit of any script against
        // another character stands where '0' does, as numbers stand among other characters
        // wherever they are compared: otherwise "۱" < "8" (by value) < "n" < "۱" (by code).
        const qsizetype nextI = a[i].isHighSurrogate() && i + 1 < a.size() ? i + 2 : i + 1;
        const qsizetype nextJ = b[j].isHighSurrogate() && j + 1 < b.size() ? j + 2 : j + 1;
        const QStringView zero(u"0");
        const QStringView left = a[i].isDigit() ? zero : a.mid(i, nextI - i);
        const QStringView right = b[j].isDigit() ? zero : b.mid(j, nextJ - j);
        if (const int order = left.compare(right, Qt::CaseInsensitive)) {
            return order < 0 ? -1 : 1;
        }
        i = nextI;
        j = nextJ;
    }
    return (i < a.size()) - (j < b.size());
}

}  // namespace

int NaturalCompare(const QString& a, const QString& b) {
    // A name typed on a Mac comes decomposed ("e" and a combining accent), the same name made
    // elsewhere composed: both sort as one.
    const QString composedA = a.normalized(QString::NormalizationForm_C);
    const QString composedB = b.normalized(QString::NormalizationForm_C);
    const QList<QStringView> partsA = QStringView(composedA).split(u'/');
    const QList<QStringView> partsB = QStringView(composedB).split(u'/');
    for (qsizetype k = 0; k < partsA.size() && k < partsB.size(); ++k) {
        if (const int order = ComparePart(partsA[k], partsB[k])) {
            return order;
        }
    }
    if (partsA.size() != partsB.size()) {
        return partsA.size() < partsB.size() ? -1 : 1;
    }
    const int exact = a.compare(b);
    return exact < 0 ? -1 : exact > 0 ? 1 : 0;
}

namespace {

// The name case folded, each run of digits in it as one '#': names that differ only in their
// numbers have the same.
QString NumberlessName(const QString& name) {
    const QString composed = name.normalized(QString::NormalizationForm_C);
    QString numberless;
    for (qsizetype i = 0; i < composed.size(); ++i) {
        if (!composed[i].isDigit()) {
            numberless += composed[i];
        } else if (i == 0 || !composed[i - 1].isDigit()) {
            numberless += QLatin1Char('#');
        }
    }
    return numberless.toCaseFolded();
}

bool FileNameLess(const QString& a, const QString& b) {
    if (const int order = NaturalCompare(QFileInfo(a).fileName(), QFileInfo(b).fileName())) {
        return order < 0;
    }
    return NaturalLess(a, b);
}

}  // namespace

QStringList SortedByFileName(QStringList paths) {
    std::stable_sort(paths.begin(), paths.end(), FileNameLess);
    return paths;
}

QStringList SortedByTrack(QStringList paths) {
    struct Entry {
        bool untagged;
        int disc, track;
        QString path;
    };
    std::vector<Entry> entries;
    for (const QString& path : paths) {
        const mp3::InputTags tags = mp3::ReadInputTags(path);
        entries.push_back({tags.track == 0 && tags.disc == 0, tags.disc, tags.track, path});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (std::tie(a.untagged, a.disc, a.track) != std::tie(b.untagged, b.disc, b.track)) {
            return std::tie(a.untagged, a.disc, a.track) < std::tie(b.untagged, b.disc, b.track);
        }
        return FileNameLess(a.path, b.path);
    });
    for (size_t i = 0; i < entries.size(); ++i) {
        paths[qsizetype(i)] = entries[i].path;
    }
    return paths;
}

std::optional<std::pair<QString, QString>> FirstPairOutOfOrder(const QStringList& paths) {
    // For each folder and numberless name, the path of that kind given last.
    QHash<QString, QString> last;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        const QString kind = info.path() + QLatin1Char('/') + NumberlessName(info.fileName());
        const auto seen = last.constFind(kind);
        if (seen != last.cend() &&
            NaturalCompare(info.fileName(), QFileInfo(*seen).fileName()) < 0) {
            return std::pair(*seen, path);
        }
        last.insert(kind, path);
    }
    return std::nullopt;
}

}  // namespace tessaro
