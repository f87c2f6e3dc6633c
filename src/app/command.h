#pragma once

#include <QObject>
#include <exception>
#include <stdexcept>
#include <utility>

#include "app/error_box.h"

namespace lumigram {

// Runs one command of a window to its end: an error it raises is shown in the
// error box and goes no further. Every menu item, button, key and drop runs its
// command through here, so no exception ever crosses Qt's event loop.
template <typename Command>
void RunCommand(Command&& command) noexcept {
    try {
        std::forward<Command>(command)();
    } catch (const std::exception& error) {
        ShowErrorBoxQuietly(error);
    } catch (...) {
        ShowErrorBoxQuietly(std::runtime_error("the command failed for an unknown reason"));
    }
}

// Connects a signal to a command run through RunCommand; the signal's
// arguments, if any, are not passed on.
template <typename Sender, typename Signal, typename Command>
QMetaObject::Connection ConnectCommand(Sender* sender, Signal signal, const QObject* context,
                                       Command command) {
    return QObject::connect(sender, signal, context,
                            [command = std::move(command)] { RunCommand(command); });
}

}  // namespace lumigram
