#include "util/MyStrUnit.h"
#include "util/Sp_Procs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

const std::string NotConvertible =
    "Не удалось преобразовать число в строку текста. Возможно, число слишком длинное или "
    "содержит неопределёное значение.";

class SpProcsTest : public ::testing::Test {
protected:
    void SetUp() override { tarvo::BuildCaseTable(); }
};

using FormatNumber = SpProcsTest;
using FormatSize = SpProcsTest;

struct TNumberCase {
    long double Value;
    int MinDigits, Decimals;
    std::string Expected;
};

void expectNumbers(const TNumberCase* begin, const TNumberCase* end) {
    for (const TNumberCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(::testing::Message() << "row " << (c - begin) << ": " << c->Expected);
        const tarvo::TFormatResult result =
            tarvo::FormatNumber(c->Value, c->MinDigits, c->Decimals);
        EXPECT_TRUE(result.Ok);
        EXPECT_EQ(result.Text, c->Expected);
    }
}

TEST_F(FormatNumber, RoundsToTheDecimalsWithHalvesAwayFromZero) {
    const TNumberCase cases[] = {
        {1.5L, 0, 1, "1.5"},
        {2.0L, 0, 1, "2"},
        {5.0L, 0, 0, "5"},
        {0.25L, 0, 1, "0.3"},
        {-0.25L, 0, 1, "-0.3"},
        {2.5L, 0, 0, "3"},
        {-2.5L, 0, 0, "-3"},
        {0.5L, 0, 0, "1"},
        {0.4L, 0, 0, "0"},
        {1234.5678L, 0, 2, "1234.57"},
        {0.001234L, 0, 9, "0.001234"},
        {9.96L, 0, 1, "10"},
        {99.99L, 0, 1, "100"},
        {0.96L, 0, 0, "1"},
        {100.0L, 0, 2, "100"},
        {1000000.0L, 0, 0, "1000000"},
        {1e-20L, 0, 25, "0.00000000000000000001"},
        {1e-20L, 0, 5, "0"},
    };
    expectNumbers(std::begin(cases), std::end(cases));
}

TEST_F(FormatNumber, RoundsTheEighteenDigitsAsRepresented) {
    // 0.05 is stored a hair above 0.05 and reads 0.0500000000000000000 in 18 digits; the
    // double 0.15 is stored below 0.15 and reads 0.149999999999999994.
    const TNumberCase cases[] = {
        {0.05L, 0, 1, "0.1"},
        {static_cast<long double>(0.05), 0, 1, "0.1"},
        {-0.05L, 0, 1, "-0.1"},
        {static_cast<long double>(0.15), 0, 1, "0.1"},
        {static_cast<long double>(0.15), 0, 16, "0.15"},
        {static_cast<long double>(0.15), 0, 17, "0.14999999999999999"},
        {1.0L / 3, 0, -1, "0.333333333333333333"},
        {2.0L / 3, 0, -1, "0.666666666666666667"},
        {123456789012345678901.0L, 0, 2, "123456789012345679000"},
    };
    expectNumbers(std::begin(cases), std::end(cases));
}

TEST_F(FormatNumber, WritesZeroWithoutSign) {
    const TNumberCase cases[] = {
        {0.0L, 0, 2, "0"},
        {-0.0L, 0, 2, "0"},
        {-0.4L, 0, 0, "0"},
        {-1e-20L, 0, 5, "0"},
    };
    expectNumbers(std::begin(cases), std::end(cases));
}

TEST_F(FormatNumber, TreatsDecimalsOutsideTheRangeAsNineThousandNineHundredNinetyNine) {
    const TNumberCase cases[] = {
        {0.125L, 0, -1, "0.125"}, {0.125L, 0, 10000, "0.125"}, {0.125L, 0, 9999, "0.125"},
        {0.125L, 0, 0, "0"},      {0.125L, 0, 2, "0.13"},
    };
    expectNumbers(std::begin(cases), std::end(cases));
}

TEST_F(FormatNumber, PadsTheIntegerPartToTheMinimumDigitsAfterTheSign) {
    const TNumberCase cases[] = {
        {123.0L, 5, 0, "00123"}, {-1.25L, 3, 1, "-001.3"},  {0.5L, 3, 1, "000.5"},
        {0.0L, 3, 0, "000"},     {12345.0L, 3, 0, "12345"}, {-7.0L, 2, 0, "-07"},
        {-0.0L, 2, 0, "00"},     {42.0L, -3, 0, "42"},
    };
    expectNumbers(std::begin(cases), std::end(cases));
}

TEST_F(FormatNumber, WritesHugeValuesWithAllTheirIntegerZeros) {
    const TNumberCase cases[] = {
        {1e30L, 0, 2, "1" + std::string(30, '0')},
        {-1e30L, 0, 9999, "-1" + std::string(30, '0')},
        // The double nearest 1e30 is 1000000000000000019884624838656.
        {static_cast<long double>(1e30), 0, 2, "1000000000000000020" + std::string(12, '0')},
    };
    expectNumbers(std::begin(cases), std::end(cases));
}

TEST_F(FormatNumber, WritesTheExtremesOfTheRange) {
    const auto largest = tarvo::FormatNumber(std::numeric_limits<long double>::max(), 0, 0);
    EXPECT_TRUE(largest.Ok);
    EXPECT_EQ(largest.Text, "118973149535723177" + std::string(4932 - 17, '0'));

    const auto smallest =
        tarvo::FormatNumber(std::numeric_limits<long double>::denorm_min(), 0, 9999);
    EXPECT_TRUE(smallest.Ok);
    EXPECT_EQ(smallest.Text, "0." + std::string(4950, '0') + "36451995318824746");
}

TEST_F(FormatNumber, FailsWithTheMessageForNanAndInfinities) {
    const long double values[] = {std::numeric_limits<long double>::quiet_NaN(),
                                  std::numeric_limits<long double>::infinity(),
                                  -std::numeric_limits<long double>::infinity()};
    for (const long double value : values) {
        SCOPED_TRACE(static_cast<double>(value));
        const tarvo::TFormatResult result = tarvo::FormatNumber(value, 3, 2);
        EXPECT_FALSE(result.Ok);
        EXPECT_EQ(result.Text, NotConvertible);
    }
}

TEST_F(FormatSize, PicksTheUnitByTheSize) {
    const struct {
        std::int64_t Size;
        int Decimals;
        std::string Expected;
    } cases[] = {
        {1000, 1, "1000 байт"},
        {1536, 1, "1.5 Кб"},
        {2048, 1, "2 Кб"},
        {50, 0, "50 байт"},
        {5242880, 0, "5 Мб"},
        {1023, 1, "1023 байт"},
        {1073741824, 1, "1 Гб"},
        {1024, 0, "1 Кб"},
        {0, 1, "0 байт"},
        {-5, 1, "-5 байт"},
        {-5000000, 1, "-5000000 байт"},
        {1048575, 1, "1024 Кб"},
        {1572864, 1, "1.5 Мб"},
        {1610612736, 1, "1.5 Гб"},
        {1100, 2, "1.07 Кб"},
        {1100, 0, "1 Кб"},
        {std::numeric_limits<std::int64_t>::max(), 2, "8589934592 Гб"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Size);
        EXPECT_EQ(tarvo::FormatSize(c.Size, c.Decimals), c.Expected);
    }
}

} // namespace
