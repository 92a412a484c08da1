#!/usr/bin/python3
"""Ctrl+H and what the keyboard and a screen reader reach in each height."""

import harness
from harness import LIST_TITLE, MAIN_TITLE, DesktopCase, x_frame, xdo

# The buttons of the part of the window that only the expanded height shows.
EXPANDED_ONLY = ["Status", "Input Mode", "Temp", "Setting", "Lamp Time", "Lamp Status", "Lamp Mode",
                 "Command Table", "COM"]
TABS = 75  # more than there are buttons: every walk goes round once


class Keyboard(DesktopCase):

    def setUp(self):
        super().setUp()
        self.proj = self.start_with_port()
        self.panel = self.acc_window(MAIN_TITLE)

    def height(self):
        return x_frame(self.main)["height"]

    def wait_height(self, height, what):
        self.wait_until(lambda: self.height() == height, f"{what} (height {self.height()}, not {height})")

    def toggle(self):
        before = self.height()
        self.key(self.main, "ctrl+h")
        return self.wait_until(lambda: self.height() != before and self.height(), "Ctrl+H changes the height")

    def tab_walk(self):
        """Names of the controls the focus passes through on TABS presses of Tab."""
        seen = []

        def focused(event):
            try:
                if event.detail1 == 1 and event.source.get_process_id() == self.program.pid:
                    seen.append(event.source.name)
            except Exception:  # the source may be gone already
                pass
        self.listen("object:state-changed:focused", focused)
        self.activate(self.main)
        xdo("key", "--delay", 40, *["Tab"] * TABS)
        for _ in range(int(harness.TIMEOUT / 0.2)):
            if len(seen) >= TABS:
                break
            self.pump(0.2)
        self.check(len(seen) >= TABS, f"every Tab moves the focus ({len(seen)} of {TABS}): {seen}")
        return seen

    def buttons_on_show(self):
        self.app.clear_cache()
        return {c.name for c in self.descendants(self.panel)
                if c.getRoleName() == "push button" and self.showing(c)}

    def test_ctrl_h_toggles_and_no_other_chord_does(self):
        collapsed = self.height()
        expanded = self.toggle()
        self.check(expanded > collapsed, f"Ctrl+H first expands ({collapsed} -> {expanded})")
        self.toggle()
        self.wait_height(collapsed, "Ctrl+H twice is the height it was")
        # Each chord followed by Ctrl+H: if the chord toggled, the pair would not.
        for chord, then in (("shift+ctrl+h", expanded), ("ctrl+alt+h", collapsed), ("h", expanded)):
            self.key(self.main, chord, "ctrl+h")
            self.wait_height(then, f"{chord} leaves the height alone")
        # Whichever button has the focus.
        self.focus(self.find(self.panel, "Keystone down"))
        self.key(self.main, "ctrl+h")
        self.wait_height(collapsed, "Ctrl+H works with the focus on a hold button")
        self.assertEqual(self.proj.commands(), [], "no chord sent anything")

    def test_tab_reaches_only_what_the_height_shows(self):
        self.focus(self.find(self.panel, "Power On"))
        walked = self.tab_walk()
        reached = sorted(set(walked) & set(EXPANDED_ONLY))
        self.check(not reached, f"collapsed, Tab reaches hidden buttons: {reached}")
        self.check("END" in walked and "Power On" in walked, f"collapsed, Tab goes round: {walked}")
        self.toggle()
        walked = self.tab_walk()
        missing = sorted(set(EXPANDED_ONLY) - set(walked))
        self.check(not missing, f"expanded, Tab reaches every button; not {missing}")
        self.assertEqual(self.proj.commands(), [], "Tab sent nothing")

    def test_a_screen_reader_finds_only_what_the_height_shows(self):
        on_show = self.buttons_on_show()
        hidden = sorted(set(EXPANDED_ONLY) & on_show)
        self.check(not hidden, f"collapsed, the accessibility bus shows buttons cut off: {hidden}")
        self.check({"Power On", "END", "Keystone down"} <= on_show, f"collapsed, the panel shows: {on_show}")
        self.toggle()
        self.wait_until(lambda: set(EXPANDED_ONLY) <= self.buttons_on_show(),
                        "expanded, the accessibility bus shows the read-out buttons, Command Table and COM")

    def test_the_line_monitor_is_written_in_both_heights(self):
        self.toggle()
        table = self.find(self.panel, "Command Table")
        self.wait_until(lambda: self.showing(table), "Command Table shows")
        self.click(table)  # the monitor now clears only after 5.5 s
        self.wait_window(LIST_TITLE)
        collapsed = self.toggle()
        self.click_sends(self.find(self.panel, "Audio Mute On"), self.proj, "C0B")
        self.check(self.toggle() > collapsed, "expanded again")
        sent = self.sibling_after(self.panel, "TxD")
        received = self.sibling_after(self.panel, "RxD")
        self.wait_until(lambda: self.text(sent) == " C 0 B  [CR] ",
                        f"the sent line shows the command sent while collapsed ({self.text(sent)!r})")
        self.wait_until(lambda: self.text(received) == "  [ACK]  [CR] ",
                        f"the received line shows the reply ({self.text(received)!r})")


if __name__ == "__main__":
    harness.main()
