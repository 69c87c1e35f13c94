// Appends points dated now to a history file, for the test of two processes saving at once.
// Usage: history_writer FILE COUNT
#include <cstdlib>
#include <string>

#include "widgets/extension/history_store.hpp"
#include "widgets/views/absolute_time.hpp"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    vantric::HistoryStore store(QString::fromLocal8Bit(argv[1]));
    const int count = std::atoi(argv[2]);
    for (int index = 0; index < count; ++index) {
        store.append({.date = vantric::AbsoluteTime::now(), .cpu = 0.5, .memory = 0.25, .gpu = 0});
    }
    return 0;
}
