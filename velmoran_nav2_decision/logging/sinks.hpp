#pragma once

#include <memory>

#include <spdlog/sinks/sink.h>

// Kept apart from logger.hpp: the journal sink pulls in <syslog.h>, whose LOG_INFO and friends
// collide with our statement macros.
namespace velmoran
{

/// Colour-capable standard-output sink guarded by spdlog's console mutex.
std::shared_ptr<spdlog::sinks::sink> makeConsoleSink();

/// systemd journal sink; lines carry CODE_FILE, CODE_LINE and CODE_FUNC from their source location.
std::shared_ptr<spdlog::sinks::sink> makeJournalSink();

}  // namespace velmoran
