#pragma once
// The two lists of 100 rows the kill test saves in turn: the second is the
// first after a Remove near its top (every later row moves up a slot) and
// an Add.
#include <cstdio>
#include <string>

#include "monitor/monitored_list.h"

namespace vigilor::test {

inline MonitoredList ListBeforeEdit() {
    MonitoredList list;
    for (int i = 0; i < 100; ++i) {
        char server[16];
        std::snprintf(server, sizeof server, "\\\\HOST%03d", i);
        list.AppendUnsorted(std::string(server) + "\tService " + std::to_string(i) + "\t" + (i % 2 ? "Yes" : "No") +
                            "\tNo");
    }
    return list;
}

inline MonitoredList ListAfterEdit() {
    MonitoredList list = ListBeforeEdit();
    list.Remove(3);
    list.AppendUnsorted("\\\\HOST999\tAdded service\tYes\tYes");
    return list;
}

}  // namespace vigilor::test
