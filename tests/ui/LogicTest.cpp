// The Qt-free pieces of the dialog layer: integer entry, typed baud rates, dialog units,
// which rows a stopped transfer covered, and the open-failure wording.
#include <gtest/gtest.h>

#include <limits>

#include "ui/BaudRate.h"
#include "ui/DialogInteger.h"
#include "ui/DialogUnits.h"
#include "ui/OpenFailureText.h"
#include "ui/ParamBindings.h"

namespace tq37r {
namespace {

TEST(DialogInteger, AcceptsSignedDecimalWithSurroundingBlanks) {
    EXPECT_EQ(parseDialogInteger("0"), 0);
    EXPECT_EQ(parseDialogInteger("300"), 300);
    EXPECT_EQ(parseDialogInteger("-1"), -1);
    EXPECT_EQ(parseDialogInteger("+42"), 42);
    EXPECT_EQ(parseDialogInteger("  17\t"), 17);
    EXPECT_EQ(parseDialogInteger("007"), 7);
    EXPECT_EQ(parseDialogInteger("2147483647"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(parseDialogInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(DialogInteger, RejectsEverythingElse) {
    for (const char* bad : {"", " ", "+", "-", "abc", "1a", "a1", "1 2", "--1", "+-1", "1.5", "0x10", "1e3",
                            "2147483648", "-2147483649", "99999999999999999999", "１２", "- 1"}) {
        EXPECT_EQ(parseDialogInteger(bad), std::nullopt) << '"' << bad << '"';
    }
}

TEST(BaudRate, SelectionIndexesTheTableAndTypedTextMustBeAPositiveWholeRate) {
    EXPECT_EQ(chosenBaudRate(0, "anything"), 115200U);
    EXPECT_EQ(chosenBaudRate(4, ""), 19200U);
    EXPECT_EQ(chosenBaudRate(7, ""), 4800U);
    EXPECT_EQ(chosenBaudRate(-1, "2400"), 2400U);
    EXPECT_EQ(chosenBaudRate(-1, " 250000 "), 250000U);
    EXPECT_EQ(chosenBaudRate(8, "9600"), 9600U) << "an index past the table falls back to the text";
    for (const char* bad : {"", "0", "-9600", "fast", "96 00", "4294967296"}) {
        EXPECT_EQ(chosenBaudRate(-1, bad), std::nullopt) << bad;
    }
}

TEST(DialogUnits, ConvertLikeMulDivWithRounding) {
    EXPECT_EQ(mulDiv(393, 6, 4), 590); // 589.5 rounds up
    EXPECT_EQ(mulDiv(151, 6, 4), 227);
    EXPECT_EQ(mulDiv(39, 12, 8), 59);
    EXPECT_EQ(mulDiv(-3, 6, 4), -5); // half away from zero
    const DialogBaseUnits units{7, 14};
    EXPECT_EQ(units.toPixels(60, 56, 50, 27), (PixelRect{105, 98, 88, 47}));
}

TEST(ParamBindings, TransferOrderCoversEveryFieldOnceAndDecidesWhichRowsWereTaken) {
    ParamFields fields;
    for (std::size_t i = 0; i < kIntegerTransferOrder.size(); ++i) {
        fields.*kIntegerTransferOrder[i].field = static_cast<std::int32_t>(i + 1);
    }
    std::int32_t sum = 0;
    for (const IntegerBinding& binding : kIntegerTransferOrder) {
        sum += fields.*binding.field;
    }
    EXPECT_EQ(sum, 23 * 24 / 2) << "no field is bound twice";

    using F = ParamFields;
    const std::initializer_list<ParamField> pitch = {&F::pitchLevelCoef, &F::pitchStabilityContinue,
                                                     &F::pitchStabilityCoef};
    EXPECT_FALSE(allTransferred(4, pitch)); // stopped at pitchLevelCoef, the row's last in the order
    EXPECT_TRUE(allTransferred(5, pitch));
    EXPECT_FALSE(allTransferred(0, {&F::targetAltitude}));
    EXPECT_TRUE(allTransferred(1, {&F::targetAltitude}));
    EXPECT_FALSE(allTransferred(22, {&F::heightP, &F::heightI, &F::heightD}));
    EXPECT_TRUE(allTransferred(23, {&F::heightP, &F::heightI, &F::heightD}));
}

TEST(OpenFailureText, PlainWordsForEachCause) {
    EXPECT_EQ(openFailureDetail(OpenFailure::NoSuchDevice, "COM3", ""),
              "No such device (COM3 is not present)");
    EXPECT_EQ(openFailureDetail(OpenFailure::NoSuchDevice, "COM3", "/dev/ttyUSB0"),
              "No such device (COM3 is /dev/ttyUSB0)");
    EXPECT_EQ(openFailureDetail(OpenFailure::PermissionDenied, "COM1", "/dev/ttyS0"),
              "Permission denied: add yourself to the dialout group");
    EXPECT_EQ(openFailureDetail(OpenFailure::InUse, "COM1", "x"), "In use by another program");
    EXPECT_EQ(openFailureDetail(OpenFailure::RateNotSupported, "COM1", "x"), "Rate not supported");
    EXPECT_EQ(portToolTip("COM2", ""), "COM2 is not present on this machine");
}

} // namespace
} // namespace tq37r
