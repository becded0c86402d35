#include "core/hearing/messung_controls.h"

#include "core/hearing/frequency_scale.h"

namespace kelvor::hearing {

// The window as it is designed, before start-up lays it out and the language is applied.
MessungControls::MessungControls() {
    Test_F.caption = "500";
    Test_db.caption = "0";

    Ohr_li_img.bounds = {20, 22, 240, 160};
    Ohr_re_img.bounds = {338, 20, 360, 240};
    Ohr_re_img.cursor = Cursor::hand_point;

    for (RangeControl* bar : {&F_Leiste_li, &F_Leiste_re}) {
        bar->minimum = 2;
        bar->maximum = track_max_normal;
        bar->position = 13;
    }
    F_Leiste_re.visible = false;

    f_No.caption = "0";
    f_No.visible = false;
    Memo1_D.visible = false;
    Memo1_D.enabled = false;
    Memo1_E.visible = false;
    PortData.visible = false;

    Panel_bot.bounds.width = 630;
    Panel_bot.bounds.height = 177;
    Ohr_gif_re.visible = false;
    db_Progress.minimum = 0;
    db_Progress.maximum = 14;
    db_Progress.position = 3;
    f_extended.caption = "extended";
    auto_.caption = "automatic";
    auto_.checked = true;
    f_fine.caption = "fine";
    ok_select.caption = "ok. detected";
    ok_select.cursor = Cursor::hand_point;
    Start.caption = "Start";
}

} // namespace kelvor::hearing
