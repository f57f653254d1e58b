// A printer for window tests: no spooler, no paper; it answers every print
// with the outcome it was given.
#pragma once

#include "print/Printer.h"
#include "window/PlannerForm.h"

#include <memory>

namespace nutrovo::test {

class FakePrinter final : public print::Printer {
public:
    explicit FakePrinter(print::PrintOutcome answer) : answer_(std::move(answer)) {}
    print::PrintOutcome print(QWidget &) noexcept override { return answer_; }

private:
    print::PrintOutcome answer_;
};

// The window as the tests use it: every print fails, as on a machine with
// no printer, so that no test ever reaches a real one.
inline std::unique_ptr<PlannerForm> testWindow()
{
    return std::make_unique<PlannerForm>(
        std::make_unique<FakePrinter>(print::PrintOutcome{QStringLiteral("no printer in tests")}));
}

} // namespace nutrovo::test
