// The register at a clinic's scale (ten years: 10,000 clients, 100,000
// visits), measured through the real window: the dialog opened to the client
// list shown, one keystroke of the search, a client's visits and chart
// shown, and Save Visit with its sync to disk. On the local file, and on a
// private PostgreSQL server on this machine.
#pragma once

#include <string>
#include <vector>

namespace nutrovo::bench {

struct RegisterCosts {
    std::string engine;
    double madeSeconds = 0;  // to make the register, when it had to be made
    bool reused = false;     // the file of an earlier run, unchanged
    double firstOpenMs = 0;  // the first open of the process: the library loads
    std::vector<double> openMs;
    std::vector<double> keystrokeMs;
    std::vector<double> showClientMs;
    std::vector<double> saveMs;      // once the register is open and checked
    std::vector<double> firstSaveMs; // a session's first command: opened and checked first
    double fileMiB = 0;      // the local file with its log; 0 on the server
    std::string failure;     // why nothing could be measured
};

struct RegisterScale {
    int clients = 10000;
    int visitsPerClient = 10;
    int rounds = 20;
};

// Needs a QApplication. `cacheFolder` keeps the generated file between runs
// (in the benchmark's build folder).
RegisterCosts measureLocalRegister(const RegisterScale &scale, const std::string &cacheFolder);

// Starts the private server with `fixtureScript` (tests/register/pg-fixture.sh,
// as root), fills it from the local file of the same scale, and measures.
RegisterCosts measureServerRegister(const RegisterScale &scale, const std::string &cacheFolder,
                                    const std::string &fixtureScript);

} // namespace nutrovo::bench
