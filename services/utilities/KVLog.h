#pragma once

// The bootable-disk workers' log file, "/tmp/KorvelBootableDataRecovery.txt": one line per record, the
// local time as "YYYY-MM-DD hh:mm:ss", two blanks, the message. Records of every run accumulate. One lock
// covers open, write and close, and each record is written whole and flushed. Only the process's user may
// read the file (0600); a link, a FIFO or another user's file planted at its name is refused, never
// waited on or written through.

// 0, or -1 when the file cannot be opened; does nothing while it is open.
int KVInitLog();
// Closes the file if it is open; 0.
int KVUninitLog();
// Writes one record from a printf-style format, opening the file first if needed; 0, or -1 when the
// format is null or the file cannot be opened.
int KVLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
