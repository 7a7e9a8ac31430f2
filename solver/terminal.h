// Whether standard error is a terminal: the one question the solver asks of the system.
#pragma once

namespace nudgeboard::solver {

bool standardErrorIsTerminal();

} // namespace nudgeboard::solver
