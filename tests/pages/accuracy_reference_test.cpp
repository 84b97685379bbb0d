// The Accuracy page's reference point box on the running session: the
// --reference point stands in it at start; a point typed and applied with
// Set ref. is the reference the figures are measured from at once, as
// CQualityStatistics measures the same fixes from it; a text that is no
// point changes nothing and a box names the form; an empty box gives the
// mean back.
#include <QLineEdit>
#include <QTest>

#include "pages/accuracy_page.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_window.h"
#include "quality/reference_point.h"
#include "session_fixture.h"

namespace {

class AccuracyReferenceTest : public SessionTest {
 protected:
  // Empties the box, types `text` and presses Set ref., as a user does.
  void TypeAndSet(const char* text) {
    box_->selectAll();
    QTest::keyClick(box_, Qt::Key_Delete);
    QTest::keyClicks(box_, text);
    SendMessageW(GetDlgItem(page_->m_hWnd, IDC_ACC_SET_REFERENCE), BM_CLICK, 0, 0);
  }
  // The page shows the session's fixes as a fresh count measured from `reference`.
  void ExpectFiguresFrom(const std::optional<Geodetic>& reference) {
    CQualityStatistics same;
    for (const QualitySample& sample : setup_->m_quality.Samples()) {
      QualityEpoch epoch;
      epoch.bFix = true;
      epoch.position = setup_->m_quality.PositionOf(sample);
      same.AddEpoch(epoch, 0);
    }
    same.SetReference(reference);
    EXPECT_EQ(page_->Figures().bUserReference, reference.has_value());
    EXPECT_NEAR(page_->Figures().cep50.value_or(-1), same.Figures().cep50.value_or(-2), 1e-6);
    EXPECT_NEAR(page_->Figures().drms2.value_or(-1), same.Figures().drms2.value_or(-2), 1e-6);
  }

  CAccuracyPpg* page_ = nullptr;
  QLineEdit* box_ = nullptr;
};

TEST_F(AccuracyReferenceTest, ATypedPointIsTheReferenceAtOnceABadTextNothingAndAnEmptyBoxTheMean) {
  app_.m_reference = Geodetic{45.5231, -122.6765, 50.0};
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
    ShowPage(3);
    page_ = dynamic_cast<CAccuracyPpg*>(CWnd::FromHandlePermanent(ShownPage()));
    ASSERT_NE(page_, nullptr);
    box_ = qobject_cast<QLineEdit*>(UiWindow::FromHandle(GetDlgItem(page_->m_hWnd, IDC_ACC_REFERENCE_POINT))->Widget());
    EXPECT_EQ(box_->text(), QStringLiteral("45.5231,-122.6765,50")) << "the --reference point";

    TypeAndSet("45.5232, -122.6766");
    ExpectFiguresFrom(Geodetic{45.5232, -122.6766, 0.0});
    wchar_t shown[64] = {};
    GetWindowTextW(GetDlgItem(page_->m_hWnd, IDC_ACC_REFERENCE), shown, 64);
    EXPECT_STREQ(shown, L"Ref: given point\r\n45.523200, -122.676600, 0 m");

    TypeAndSet("45.5;-122.6");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"\"45.5;-122.6\" is not a point"), std::wstring::npos);
    EXPECT_NE(boxes[0].text.find(L"LAT,LON[,ALT]"), std::wstring::npos);
    EXPECT_EQ(setup_->m_quality.UserReference(), (Geodetic{45.5232, -122.6766, 0.0}));

    TypeAndSet("");
    ExpectFiguresFrom(std::nullopt);
    QTest::keyClick(box_, Qt::Key_Return);
    EXPECT_EQ(ShownPage(), page_->m_hWnd) << "Enter in the box closes nothing";
  });
}

}  // namespace
