#!/usr/bin/python3
"""The windows themselves: exact titles, sizes and place on the screen with the
real window-manager frame, the status label's border, and ending the program
with other windows open."""

import harness
from harness import (DIALOG_TITLE, ERROR_TITLE, LIST_TITLE, MAIN_TITLE, SCREEN_H, SCREEN_W,
                     TWIPS_PER_PIXEL, DesktopCase, pixels, x_frame, x_maximisable, x_title, xdo)

COLLAPSED_TWIPS, EXPANDED_TWIPS, LIST_TWIPS = 5780, 8100, 2500
ABOVE_CENTRE_TWIPS = 1350


class Windows(DesktopCase):

    def setUp(self):
        super().setUp()
        self.proj = self.start_with_port()
        self.panel = self.acc_window(MAIN_TITLE)

    def expand(self):
        self.key(self.main, "ctrl+h")
        table = self.find(self.panel, "Command Table")
        self.wait_until(lambda: self.showing(table), "the window is expanded")

    def open_list(self):
        self.click(self.find(self.panel, "Command Table"))
        return self.wait_window(LIST_TITLE)

    def open_dialog(self):
        self.click(self.find(self.panel, "COM"))
        return self.wait_window(DIALOG_TITLE)

    def test_every_title_is_the_caption_exactly_and_no_fixed_window_maximises(self):
        wrong = []

        def title_of(wid, caption):
            title = x_title(wid)
            if title != caption:
                wrong.append(f"{title!r} instead of {caption!r}")
            if caption != ERROR_TITLE and x_maximisable(wid):
                wrong.append(f"{caption!r} may be maximised")
        title_of(self.main, MAIN_TITLE)
        self.expand()
        title_of(self.open_list(), LIST_TITLE)
        dialog_win = self.open_dialog()
        title_of(dialog_win, DIALOG_TITLE)
        dialog = self.acc_window(DIALOG_TITLE)
        self.click(self.find(dialog, "COM2", "radio button"))  # COM2 does not open
        self.click(self.find(dialog, "OK"))
        title_of(self.wait_window(ERROR_TITLE), ERROR_TITLE)
        self.check(not wrong, "titles: " + "; ".join(wrong))

    def test_heights_and_place_follow_the_window_manager_frame(self):
        def near(value, expected):
            return abs(value - expected) <= 1

        def placed():
            f = x_frame(self.main)
            return (near(f["height"], COLLAPSED_TWIPS / TWIPS_PER_PIXEL)
                    and near(f["x"], (SCREEN_W - f["width"]) / 2)
                    and near(f["y"], (SCREEN_H - COLLAPSED_TWIPS / TWIPS_PER_PIXEL) / 2
                             - ABOVE_CENTRE_TWIPS / TWIPS_PER_PIXEL))
        self.wait_until(placed, lambda: f"the collapsed window is {COLLAPSED_TWIPS} twips tall with its frame, centred "
                                f"across and 1350 twips above the centre (it is {x_frame(self.main)})")
        # Fixed in size: a double click on the title bar (openbox: maximise)
        # leaves it as it is.
        placed_frame = x_frame(self.main)
        xdo("mousemove", placed_frame["x"] + placed_frame["width"] // 2,
            placed_frame["y"] + placed_frame["extents"][2] // 2)
        xdo("click", "--repeat", 2, "--delay", 80, 1)
        self.quiet(0.5)
        self.assertEqual(x_frame(self.main), placed_frame, "the window is not maximised")
        self.expand()
        self.wait_until(lambda: near(x_frame(self.main)["height"], EXPANDED_TWIPS / TWIPS_PER_PIXEL),
                        lambda: f"the expanded window is {EXPANDED_TWIPS} twips tall with its frame "
                        f"(it is {x_frame(self.main)})")
        list_win = self.open_list()
        self.wait_until(lambda: near(x_frame(list_win)["height"], LIST_TWIPS / TWIPS_PER_PIXEL),
                        lambda: f"the command list is {LIST_TWIPS} twips tall with its frame (it is {x_frame(list_win)})")

    def test_the_status_label_has_the_border_of_the_monitor_lines(self):
        self.expand()

        def left_edge(label):
            x, y, _, h = self.extents(label)
            return pixels(x, y + h // 2, 1, 1)[0][0]
        sent = left_edge(self.sibling_after(self.panel, "TxD"))
        status = left_edge(self.sibling_after(self.panel, "Status"))
        self.check(status == sent, f"the status label's border is {status}, the sent line's {sent}")

    def test_end_with_the_other_windows_open_ends_everything(self):
        self.expand()
        self.open_list()
        self.open_dialog()
        self.activate(self.main)
        self.program_may_end = True
        self.click(self.find(self.panel, "END"))
        self.wait_until(lambda: self.program.poll() is not None, "the program ends")
        self.assertEqual(self.program.returncode, 0, self.program_words())
        left = harness._out(["xdotool", "search", "--onlyvisible", "--name", "COM PORT|Command List|CONTROL"])
        self.assertEqual(left.split(), [], "no window is left on screen")

    def test_closing_the_main_window_ends_the_program(self):
        self.expand()
        self.open_list()
        self.program_may_end = True
        self.window_close(self.main)
        self.wait_until(lambda: self.program.poll() is not None, "the program ends")
        self.assertEqual(self.program.returncode, 0, self.program_words())


class Scaled(DesktopCase):

    def test_at_scale_2_the_whole_frame_is_on_screen_from_its_top_left(self):
        # 1358 pixels wide on a 1280-pixel screen: larger than the screen. (A
        # frame edge of one pixel is half a pixel of the program: 1 either way.)
        self.start_with_port(QT_SCALE_FACTOR="2")
        self.wait_until(lambda: max(abs(x_frame(self.main)["x"]), abs(x_frame(self.main)["y"])) <= 1,
                        lambda: f"the frame starts at the screen's top-left corner (it is {x_frame(self.main)})")


if __name__ == "__main__":
    harness.main()
