// strings_demo: the kind of string handling a ported Windows service does with CPortableString.
// It parses "key = value" lines of a settings block, normalises them and prints a short report.
#include <stdio.h>

#include "VelqonMFC.h"

namespace {

char const* const g_settings[] = {
    "  ServerName = build-host-01   ",
    "\tLogLevel=Verbose",
    "DataPath = C:\\ProgramData\\Velqon\\cache",
    "; a comment line",
    "MaxClients = 64",
};

// Splits "key = value" at the first '='; returns FALSE for comments and malformed lines.
int SplitSetting(CPortableString const& line, CPortableString& key, CPortableString& value) {
    int equals = line.Find('=');
    if (line.IsEmpty() || line[0] == ';' || equals < 0) {
        return 0;
    }
    key = line.Left(equals);
    key.TrimRight();
    value = line.Mid(equals + 1);
    value.TrimLeft();
    return 1;
}

}  // namespace

int main() {
    CPortableString report;
    int count = 0;
    for (char const* text : g_settings) {
        CPortableString line(text);
        line.TrimLeft();
        line.TrimRight();

        CPortableString key, value;
        if (!SplitSetting(line, key, value)) {
            continue;
        }
        key.MakeUpper();
        if (key == "DATAPATH") {
            value.Replace("C:\\", "/");
            value.Replace('\\', '/');
            value.MakeLower();
        }

        CPortableString entry;
        entry.Format("%-12s -> [%s]\n", static_cast<char const*>(key),
                     static_cast<char const*>(value));
        report += entry;
        ++count;
    }

    CPortableString header;
    header.Format("%d settings read\n", count);
    printf("%s%s", static_cast<char const*>(header), static_cast<char const*>(report));

    CPortableString host("build-host-01");
    int dash = host.ReverseFind('-');
    printf("host number: %s\n", static_cast<char const*>(host.Mid(dash + 1)));
    return 0;
}
