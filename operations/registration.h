#pragma once

// Shared by the receipt and the correction-receipt handlers: the command
// frame and the position fields of the registration tab.

#include "commandframe.h"
#include "fptrmainwindow.h"

#include <exception>

struct FptrMainWindowForm;

namespace Registration {

using CommandFrame::flag;

// Runs one command in the shared frame (commandframe.h).
template <class Command>
void run(FptrMainWindow &window, Command command)
{
    CommandFrame::run(&window, command);
}

// Every position operation writes a subset of the same fields, always in the
// same order. TestMode, CheckSumm, TextWrap, Name, Quantity, Price and
// Department are always written.
enum PositionGroup : unsigned {
    PrintCheck = 0x1, // PrintCheck, right after TestMode
    Details = 0x2,    // TaxNumber .. Summ (the discount information)
    PieceFlags = 0x4, // Piece, UseOnlyTaxNumber, at the end

    BasicPosition = 0,
    CorrectionPosition = Details,
    StornoPosition = Details | PieceFlags,
    FullPosition = PrintCheck | Details | PieceFlags
};

// Writes the chosen groups to the current device; a failing write raises and
// leaves the later fields unwritten.
void writePosition(FptrMainWindow &window, const FptrMainWindowForm &ui, unsigned groups);

// One position operation: its fields, the action and, for the operations
// that change the receipt's state, the refresh of the state display.
void registerPosition(FptrMainWindow &window, const FptrMainWindowForm &ui, unsigned groups,
                      int (FptrMainWindow::IFptr::*action)(), bool refreshState);

} // namespace Registration
