#include "app/MergeTarget.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace tessaro {
namespace {

const QString kRoot = QStringLiteral("/");
const QString kSuffix = QStringLiteral(".mp3");
// The longest file name the system takes, in bytes.
constexpr qsizetype kNameBytes = 255;

QString Clean(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The folders the inputs come from, each once.
QStringList InputFolders(const QStringList& inputs) {
    QStringList folders;
    for (const QString& input : inputs) {
        folders << QFileInfo(Clean(input)).path();
    }
    folders.removeDuplicates();
    return folders;
}

// Whether `folder` is `around` or lies below it. Nothing lies below the root by this test (its
// path ends in '/'): an input right in it keeps the proposal out of the root alone.
bool Within(const QString& folder, const QString& around) {
    return folder == around || folder.startsWith(around + QLatin1Char('/'));
}

bool AmongInputFolders(const QString& folder, const QStringList& inputFolders) {
    return std::any_of(inputFolders.begin(), inputFolders.end(),
                       [&](const QString& around) { return Within(folder, around); });
}

QString CommonFolder(const QStringList& folders) {
    QStringList common = folders.value(0).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& folder : folders) {
        const QStringList parts = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const auto differ = std::mismatch(common.begin(), common.end(), parts.begin(), parts.end());
        common.erase(differ.first, common.end());
    }
    return kRoot + common.join(QLatin1Char('/'));
}

QString TargetFolder(const QStringList& inputFolders) {
    const QString common = CommonFolder(inputFolders);
    if (common != kRoot) {
        return QFileInfo(common).path();
    }
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return !music.isEmpty() && QFileInfo(music).isDir() && !AmongInputFolders(music, inputFolders)
               ? music
               : QDir::homePath();
}

// `name` as the part of a file name before ".mp3": a '/' would name a folder, a control
// character (a NUL above all, which ends the name the system sees) would not show, and a
// leading dot would hide the file (of "." and "..", nothing is left); empty when nothing is.
QString FileBase(QString name) {
    for (QChar& c : name) {
        if (c == QLatin1Char('/')) {
            c = QLatin1Char('-');
        } else if (c.category() == QChar::Other_Control) {
            c = QLatin1Char(' ');
        }
    }
    qsizetype start = 0;
    while (start < name.size() &&
           (name.at(start) == QLatin1Char('.') || name.at(start).isSpace())) {
        ++start;
    }
    name = name.mid(start);
    while ((name + kSuffix).toUtf8().size() > kNameBytes) {
        name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
    }
    return name.trimmed();
}

}  // namespace

QString ProposedTarget(const QStringList& inputs, const QString& album,
                       const QString& workspaceFile, const QString& fallback) {
    const QStringList folders = InputFolders(inputs);
    const QStringList names{album, QFileInfo(workspaceFile).completeBaseName(),
                            QFileInfo(CommonFolder(folders)).fileName(), fallback};
    QString base;
    for (auto name = names.begin(); base.isEmpty() && name != names.end(); ++name) {
        base = FileBase(*name);
    }
    return QDir(TargetFolder(folders)).filePath(base + kSuffix);
}

QString InputFolderAround(const QString& target, const QStringList& inputs) {
    const QString folder = QFileInfo(Clean(target)).path();
    QString deepest;
    for (const QString& around : InputFolders(inputs)) {
        if (Within(folder, around) && around.size() > deepest.size()) {
            deepest = around;
        }
    }
    return deepest;
}

}  // namespace tessaro
