// Error messages to the host's log feature, or to standard error when the
// host gave none. Never used on the audio thread: formatting may allocate.
#pragma once
#include <lv2/log/log.h>
#include <lv2/urid/urid.h>

typedef struct Lv2Logger {
    const LV2_Log_Log* log; // null: standard error
    LV2_URID error;         // 0 when the host gave no URID map
    LV2_URID note;
    LV2_URID trace;
    LV2_URID warning;
} Lv2Logger;

// Takes the host's log (may be null) and maps the message types with `map`
// (may be null). [non-audio threads]
void lv2_logger_init(Lv2Logger* logger, const LV2_Log_Log* log, const LV2_URID_Map* map);

// printf-style error message. [non-audio threads]
void lv2_log_error(const Lv2Logger* logger, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
