// Appends points to a history file, for the test of two processes saving at once.
// Usage: history_writer FILE COUNT FIRST_DATE
#include <cstdlib>
#include <string>

#include "widgets/extension/history_store.hpp"

int main(int argc, char** argv) {
    if (argc != 4) {
        return 2;
    }
    vantric::HistoryStore store(QString::fromLocal8Bit(argv[1]));
    const int count = std::atoi(argv[2]);
    const double first = std::atof(argv[3]);
    for (int index = 0; index < count; ++index) {
        store.append({.date = {first + index}, .cpu = 0.5, .memory = 0.25, .gpu = 0});
    }
    return 0;
}
