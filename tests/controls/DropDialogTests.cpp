// OLE drops reaching a CDropDialog's hooks through CDropDialogTarget.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "controls/CDropDialog.h"
#include "controls/CDropDialogTarget.h"
#include "resources/resource.h"
#include "tests/common/ControlsTestSupport.h"
#include "tests/common/TextDataObject.h"

using controls_test::Modeless;

namespace {

// Accepts CF_TEXT with a configurable effect and records every hook call.
class RecordingDialog : public Modeless<CDropDialog> {
public:
    RecordingDialog() : Modeless(IDD_ABOUT, nullptr) {}

    DWORD OnDragEnter(OleDataObject& data, DWORD, POINT p) override { return Answer("enter", data, p); }
    DWORD OnDragOver(OleDataObject& data, DWORD, POINT p) override { return Answer("over", data, p); }
    void OnDragLeave() override { calls.push_back("leave"); }
    DWORD OnDropEx(OleDataObject&, DWORD effect, DWORD, POINT) override {
        calls.push_back("dropex");
        proposed = effect;
        return dropExAnswer;
    }
    bool OnDrop(OleDataObject& data, DWORD effect, POINT) override {
        calls.push_back("drop");
        proposed = effect;
        if (HGLOBAL block = data.GetGlobalData(CF_TEXT)) {
            dropped = static_cast<const char*>(GlobalLock(block));
            GlobalUnlock(block);
            GlobalFree(block);
        }
        return dropAnswer;
    }

    DWORD effect = DROPEFFECT_COPY;
    DWORD dropExAnswer = kDropNotHandled;
    bool dropAnswer = true;
    std::vector<std::string> calls;
    POINT lastPoint = {-1, -1};
    DWORD proposed = 0xBAD;
    std::string dropped;

private:
    DWORD Answer(const char* call, OleDataObject& data, POINT p) {
        calls.push_back(call);
        lastPoint = p;
        return data.IsDataAvailable(CF_TEXT) ? effect : DROPEFFECT_NONE;
    }
};

class DropDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create());
        target.reset(new CDropDialogTarget);
        ASSERT_TRUE(target->Register(dialog.Handle()));
    }
    // A screen point at the given client position of the dialog.
    POINTL At(int x, int y) const {
        POINT p = {x, y};
        ClientToScreen(dialog.Handle(), &p);
        return POINTL{p.x, p.y};
    }
    DWORD Drop(DWORD allowed) {
        DWORD effect = allowed;
        EXPECT_EQ(S_OK, target->Drop(&data, 0, At(5, 5), &effect));
        return effect;
    }

    RecordingDialog dialog;
    OleDropTargetPtr<CDropDialogTarget> target;
    TextData data{"http://www.youtube.com/watch?v=Zx81KpQ3fLw"};
};

TEST_F(DropDialogTest, HooksSeeClientPointsAndEffectsAreFilteredByWhatTheSourceAllows) {
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(S_OK, target->DragEnter(&data, MK_LBUTTON, At(12, 34), &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
    EXPECT_EQ(12, dialog.lastPoint.x);
    EXPECT_EQ(34, dialog.lastPoint.y);

    struct Case {
        DWORD answer, allowed, expected;
    };
    const Case cases[] = {
        {DROPEFFECT_COPY, DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_MOVE},
        {DROPEFFECT_COPY, DROPEFFECT_LINK, DROPEFFECT_LINK},
        {DROPEFFECT_COPY, DROPEFFECT_NONE, DROPEFFECT_NONE},
        {DROPEFFECT_MOVE, DROPEFFECT_COPY | DROPEFFECT_LINK, DROPEFFECT_COPY},
        {DROPEFFECT_MOVE, DROPEFFECT_LINK, DROPEFFECT_LINK},
        {DROPEFFECT_LINK, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_NONE},
        {DROPEFFECT_MOVE, DROPEFFECT_MOVE | DROPEFFECT_COPY, DROPEFFECT_MOVE},
    };
    for (const Case& c : cases) {
        dialog.effect = c.answer;
        DWORD over = c.allowed;
        ASSERT_EQ(S_OK, target->DragOver(0, At(3, 4), &over));
        EXPECT_EQ(c.expected, over) << "answer " << c.answer << " allowed " << c.allowed;
    }
    EXPECT_EQ(3, dialog.lastPoint.x);
    target->DragLeave();
    EXPECT_EQ("leave", dialog.calls.back());
}

TEST_F(DropDialogTest, DropAsksOverThenDropExAndCallsOnDropOnlyWhenDropExDeclines) {
    // OnDropEx decides: OnDrop is never called.
    dialog.dropExAnswer = DROPEFFECT_LINK;
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_LINK), Drop(DROPEFFECT_COPY | DROPEFFECT_MOVE));
    EXPECT_EQ((std::vector<std::string>{"over", "dropex"}), dialog.calls);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), dialog.proposed);

    // Declined: OnDrop gets the filtered effect and the text.
    dialog.calls.clear();
    dialog.dropExAnswer = kDropNotHandled;
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), Drop(DROPEFFECT_MOVE));
    EXPECT_EQ((std::vector<std::string>{"over", "dropex", "drop"}), dialog.calls);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), dialog.proposed);
    EXPECT_EQ("http://www.youtube.com/watch?v=Zx81KpQ3fLw", dialog.dropped);

    // OnDrop refusing makes the drop a no-drop.
    dialog.calls.clear();
    dialog.dropAnswer = false;
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), Drop(DROPEFFECT_COPY));

    // No acceptable effect: the drag just leaves.
    dialog.calls.clear();
    dialog.effect = DROPEFFECT_NONE;
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), Drop(DROPEFFECT_COPY));
    EXPECT_EQ((std::vector<std::string>{"over", "dropex", "leave"}), dialog.calls);
}

TEST(DropDialogRefusal, DefaultHooksAndWindowsOfOtherKindsRefuseEveryDrop) {
    Modeless<CDropDialog> plain(IDD_ABOUT, nullptr);  // overrides nothing
    Modeless<Dialog> other(IDD_ABOUT, nullptr);
    ASSERT_TRUE(plain.Create());
    ASSERT_TRUE(other.Create());
    TextData data("http://example.invalid/");
    for (HWND window : {plain.Handle(), other.Handle()}) {
        OleDropTargetPtr<CDropDialogTarget> target(new CDropDialogTarget);
        ASSERT_TRUE(target->Register(window));
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->DragEnter(&data, 0, POINTL{0, 0}, &effect);
        EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
        effect = DROPEFFECT_COPY;
        target->Drop(&data, 0, POINTL{0, 0}, &effect);
        EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
    }
}

TEST(DropDialogRegistration, OneTargetPerWindowUntilTheFirstIsDestroyed) {
    Modeless<CDropDialog> dialog(IDD_ABOUT, nullptr);
    ASSERT_TRUE(dialog.Create());
    OleDropTargetPtr<CDropDialogTarget> first(new CDropDialogTarget);
    OleDropTargetPtr<CDropDialogTarget> second(new CDropDialogTarget);
    ASSERT_TRUE(first->Register(dialog.Handle()));
    EXPECT_FALSE(second->Register(dialog.Handle()));
    first.reset();  // revokes
    EXPECT_TRUE(second->Register(dialog.Handle()));
}

}  // namespace
