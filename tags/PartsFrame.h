#pragma once

// The data of the PRIV frames that hold a join's records (JoinRecord), for the tag written and
// the tag read alike.

#include <QByteArray>
#include <optional>
#include <vector>

#include "tags/JoinRecords.h"

namespace tessaro {

inline constexpr char kPartsOwner[] = "Zovi Tessaro parts";
// Of the data: a version byte, then the records.
inline constexpr char kPartsVersion = 1;
inline constexpr qsizetype kPartsHeaderBytes = 1;
inline constexpr qsizetype kRecordBytes = 12;

// Writes `record` at `at`, kRecordBytes of it.
void PutRecord(const JoinRecord& record, char* at);
// The data of a frame holding `records`.
QByteArray PartsData(const std::vector<JoinRecord>& records);
// The records a frame's data holds; none when it is of another version or not of whole records.
std::optional<std::vector<JoinRecord>> RecordsIn(const QByteArray& data);

}  // namespace tessaro
