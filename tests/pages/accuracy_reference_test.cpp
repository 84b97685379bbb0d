// The Accuracy page's reference point box on the running session: a point
// typed and applied with Set ref. is the reference the figures are measured
// from at once (as CQualityStatistics measures the same fixes from it); an
// empty box gives the mean back; a text that is no point changes nothing and
// says what the box takes. The --reference point stands in the box at start.
#include <QLineEdit>
#include <QTest>

#include <optional>
#include <string>
#include <vector>

#include "display/accuracy_text.h"
#include "pages/accuracy_page.h"
#include "platform/core/utf8.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_window.h"
#include "quality/reference_point.h"
#include "session_fixture.h"
#include "ttff/ttff_csv.h"

namespace {

constexpr int kAccuracyPage = 3;

class AccuracyReferenceTest : public SessionTest {
 protected:
  CAccuracyPpg* ShowAccuracy() {
    ShowPage(kAccuracyPage);
    return dynamic_cast<CAccuracyPpg*>(CWnd::FromHandlePermanent(ShownPage()));
  }
  static QLineEdit* Box(CAccuracyPpg* page) {
    return qobject_cast<QLineEdit*>(UiWindow::FromHandle(GetDlgItem(page->m_hWnd, IDC_ACC_REFERENCE_POINT))->Widget());
  }
  static std::wstring PageText(CAccuracyPpg* page, UINT id) {
    wchar_t text[512] = {};
    GetWindowTextW(GetDlgItem(page->m_hWnd, static_cast<int>(id)), text, 512);
    return text;
  }
  // Types `text` into the emptied box and presses Set ref.
  static void TypeAndSet(CAccuracyPpg* page, const std::string& text) {
    QLineEdit* box = Box(page);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, QString::fromStdString(text));
    SendMessageW(GetDlgItem(page->m_hWnd, IDC_ACC_SET_REFERENCE), BM_CLICK, 0, 0);
  }
  // The session's fixes counted afresh, measured from `reference`.
  QualityFigures SameFixesFrom(const std::optional<Geodetic>& reference) {
    CQualityStatistics statistics;
    for (const QualitySample& sample : setup_->m_quality.Samples()) {
      QualityEpoch epoch;
      epoch.bFix = true;
      epoch.position = setup_->m_quality.PositionOf(sample);
      statistics.AddEpoch(epoch, 0);
    }
    statistics.SetReference(reference);
    return statistics.Figures();
  }
  static void ExpectShows(CAccuracyPpg* page, const QualityFigures& expected) {
    ASSERT_TRUE(page->Figures().cep50 && expected.cep50 && expected.cep95 && expected.drms2);
    EXPECT_NEAR(*page->Figures().cep50, *expected.cep50, 1e-6);
    EXPECT_NEAR(*page->Figures().cep95, *expected.cep95, 1e-6);
    EXPECT_NEAR(*page->Figures().drms2, *expected.drms2, 1e-6);
    EXPECT_EQ(PageText(page, IDC_ACC_CEP50), L"CEP50 " + Utf8ToWide(FixedText(*expected.cep50, 1)) + L" m");
  }
};

TEST_F(AccuracyReferenceTest, ATypedPointIsTheReferenceAnEmptyBoxTheMeanAndABadTextNothing) {
  sim::ReceiverOptions standing;
  standing.stationary = true;
  AddReceiver(1, standing);
  std::vector<MessageBoxRecord> boxes;
  SetMessageBoxAnswerer([&](const MessageBoxRecord& box) {
    boxes.push_back(box);
    return IDOK;
  });
  RunSheet([&] {
    Click(IDC_SETUP_START_STOP);
    ASSERT_TRUE(PassUntil([this] { return setup_->m_quality.Figures().nFixes >= 5; }, 20000));
    CAccuracyPpg* page = ShowAccuracy();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(Box(page)->text().isEmpty());
    ASSERT_TRUE(page->Figures().reference);
    const Geodetic mean = *page->Figures().reference;

    // A hundred metres or so north of the fixes.
    const Geodetic point{mean.dLatitude + 0.001, mean.dLongitude, mean.dAltitude + 10.0};
    TypeAndSet(page, ReferencePointText(point));
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(page->Figures().bUserReference);
    ASSERT_TRUE(page->Figures().reference);
    EXPECT_EQ(*page->Figures().reference, point);
    ExpectShows(page, SameFixesFrom(point));
    EXPECT_GT(*page->Figures().cep50, 100.0);
    EXPECT_EQ(PageText(page, IDC_ACC_REFERENCE), AccuracyFigureTexts(page->Figures()).strReference);
    EXPECT_EQ(PageText(page, IDC_ACC_REFERENCE).substr(0, 16), L"Ref: given point");

    // A text that is no point: a box names the form, the point stays.
    TypeAndSet(page, "45.5;-122.6");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"45.5;-122.6"), std::wstring::npos) << WideToUtf8(boxes[0].text);
    EXPECT_NE(boxes[0].text.find(L"LAT,LON[,ALT]"), std::wstring::npos) << WideToUtf8(boxes[0].text);
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(setup_->m_quality.UserReference(), point);
    EXPECT_EQ(PageText(page, IDC_ACC_REFERENCE).substr(0, 16), L"Ref: given point");
    EXPECT_EQ(Box(page)->text(), QStringLiteral("45.5;-122.6")) << "left to be put right";

    // The box emptied: the mean again.
    TypeAndSet(page, "");
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(page->Figures().bUserReference);
    EXPECT_FALSE(setup_->m_quality.UserReference());
    ExpectShows(page, SameFixesFrom(std::nullopt));
    EXPECT_LT(*page->Figures().cep50, 100.0);
    EXPECT_EQ(PageText(page, IDC_ACC_REFERENCE).substr(0, 18), L"Ref: mean of fixes");
  });
}

TEST_F(AccuracyReferenceTest, TheCommandLinePointStandsInTheBoxAndEnterClosesNothing) {
  app_.m_reference = Geodetic{45.5231, -122.6765, 50.0};
  RunSheet([&] {
    CAccuracyPpg* page = ShowAccuracy();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Box(page)->text(), QStringLiteral("45.5231,-122.6765,50"));
    EXPECT_EQ(Box(page)->placeholderText(), QStringLiteral("LAT,LON[,ALT]"));
    EXPECT_EQ(PageText(page, IDC_ACC_REFERENCE).substr(0, 16), L"Ref: given point");
    Box(page)->setFocus();
    QTest::keyClick(Box(page), Qt::Key_Return);
    Pass(100);
    EXPECT_TRUE(IsWindow(sheet_)) << "Enter in the box does not close the sheet";
    EXPECT_EQ(ShownPage(), page->m_hWnd);
  });
}

}  // namespace
