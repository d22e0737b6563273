#include "ui/window/first_paint.h"

#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include <QEvent>
#include <QWidget>

namespace velmora {

FirstPaint::FirstPaint(QWidget* window) : QObject(window) {
    window->installEventFilter(this);
}

bool FirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        // The window and its children are painted in one pass of the event
        // loop: once that pass returns, the first frame is complete.
        painted_ = true;
        watched->removeEventFilter(this);
    }
    return false;
}

double millisecondsSinceProcessStart() {
    // Field 22 of /proc/self/stat is the start time in clock ticks since boot.
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    const auto afterName = line.rfind(')');
    if (afterName == std::string::npos) {
        return 0;
    }
    std::istringstream fields(line.substr(afterName + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const double ticks = std::stod(field);
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs =
        static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    return nowMs - ticks * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace velmora
