#include <gtest/gtest.h>

#include "FormCase.h"

namespace {

using namespace form_case;

// Audacity's labels, a decimal comma as some of its translations write, a spectral label's line of
// frequencies passed over.
TEST(LabelsFormTest, ReadWrittenToldAndRefusedAsAudacityWritesThem) {
    ExpectForm(
        {tessaro::ChapterForm::Labels,
         "c.labels",
         "0.000000\t0.000000\tEins\n\\\t100.0\t2000.0\n12,500000\t20,000000\tZwei\n",
         {{"Eins", 0, 12500, true}, {"Zwei", 12500, 20000, true}},
         "0.000000\t1.500000\tIntro\n1.500000\t2.000000\tTeil \"2\"; a=b #3 \\ Ende\n",
         "\n",
         {{"1.0\t1.0\tA\n0.5\t0.5\tB\n", "line 2: 00:00:00.500 does not come after"},
          {"1.0\t1.0\tA\n-2.0\t1.0\tB\n", "line 2: \"-2.0\uFFFD1.0\uFFFDB\" is not a label"}}});
}

}  // namespace
