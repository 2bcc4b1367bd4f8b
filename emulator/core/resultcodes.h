#pragma once

// The register's result codes. This is the one table of them: every failure
// the driver reports takes its code and its Russian text from here, and the
// README lists the same table for the users of the driver.
//
// Ranges: -1 to -19 are the driver's own (connection, arguments, settings,
// device memory); -20 to -299 belong to the subjects, in the blocks below; -3800 to -3899 are the findings of the connector test, of
// which -3893 is taken by the clock's request for confirmation. The bench acts
// on -17, -3893 and the connector range, so those values never move.

#include <QString>

#include <vector>

namespace vreg {

enum class Code : int {
    Ok = 0,
    NoConnection = -1,
    NotSupported = -2,
    InvalidArgument = -3,
    UnknownSetting = -4,
    InvalidSettingValue = -5,
    InvalidSettingsString = -6,
    DialogUnavailable = -7,
    MemoryError = -8,
    NoMoreData = -17,

    // -20 to -99: modes and passwords, tables, clock, printing, service
    // (the printing-and-configuration modules add theirs here)
    WrongPassword = -20,
    AccessDenied = -21,
    WrongMode = -22,
    ReceiptOpenNoModeChange = -23,
    InvalidValue = -24,
    FieldTypeMismatch = -25,
    NoSuchField = -26,
    ReadOnlyValue = -27,
    ShiftOpen = -28,
    NoPaper = -30,
    DocumentNotFinished = -31,
    InvalidTextMark = -32,
    InvalidCommandBuffer = -33,
    UnknownCommand = -34,

    // -100 to -199: shifts, receipts, cash, fiscal properties, fiscal storage
    // (the fiscal modules add theirs here)

    // -200 to -299: reports, registers, data reports
    // (the report modules add theirs here)

    // -3800 to -3899: findings of the connector test
    EthernetNotConnected = -3801,
    DisplayPortNoDevice = -3802,
    DateChangeNeedsConfirmation = -3893,
};

struct CodeEntry
{
    Code code;
    const char *text; // UTF-8
};

// Every code with its text, in table order.
const std::vector<CodeEntry> &codeTable();

// The text of a code; an unknown code gives an empty text.
QString codeText(Code code);

} // namespace vreg
