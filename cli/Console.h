#pragma once

// The tool's console: the lines it prints, its exit codes and its progress bar.
// Errors: none raised; each function that says why a run ends returns the exit code it ends with.

#include <QString>
#include <cstdio>

#include "merge/MergeJob.h"

namespace tessaro::cli {

// 3 lets a script tell a join that lost inputs from one that took them all.
enum ExitCode { Success = 0, Failure = 1, WrongUsage = 2, InputsSkipped = 3 };

// The tool's name in front of its warnings and errors: tessaro-join's unless set.
void SetProgramName(const QString& name);
void Print(FILE* stream, const QString& text);
void Warn(const QString& text);
// Says why the run ends without a join; returns its exit code.
int Fail(const QString& text);
// Why the command line cannot be carried out as given, as the tool says it.
QString Misused(const QString& text);
// Says why the command line cannot be carried out as given; returns its exit code.
int Misuse(const QString& text);

// Draws a bar on stderr, redrawn only when the percentage changes: the job reports every frame.
class ConsoleHost : public MergeHost {
public:
    explicit ConsoleHost(bool showBar) : showBar(showBar) {}
    ~ConsoleHost() override;

    void MergeProgress(qint32 position, qint32 rangeMax) override;

private:
    const bool showBar;
    qint32 range = 100;
    qint32 shown = -1;
    bool drawn = false;
};

}  // namespace tessaro::cli
