#include "lv2/lv2_log.h"

#include <stdarg.h>
#include <stdio.h>

void lv2_logger_init(Lv2Logger* logger, const LV2_Log_Log* log, const LV2_URID_Map* map) {
    logger->log = log;
    logger->error = logger->note = logger->trace = logger->warning = 0;
    if (map) {
        logger->error = map->map(map->handle, LV2_LOG__Error);
        logger->note = map->map(map->handle, LV2_LOG__Note);
        logger->trace = map->map(map->handle, LV2_LOG__Trace);
        logger->warning = map->map(map->handle, LV2_LOG__Warning);
    }
}

void lv2_log_error(const Lv2Logger* logger, const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (logger->log) {
        logger->log->vprintf(logger->log->handle, logger->error, format, args);
    } else {
        vfprintf(stderr, format, args);
    }
    va_end(args);
}
