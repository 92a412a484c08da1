#!/usr/bin/python3
"""The command list window: pick, edit and send, by keyboard, by mouse and by
an assistive technology."""

import harness
from harness import LIST_TITLE, MAIN_TITLE, DesktopCase, xdo


class CommandList(DesktopCase):

    def setUp(self):
        super().setUp()
        self.proj = self.start_with_port()
        self.key(self.main, "ctrl+h")
        self.panel = self.acc_window(MAIN_TITLE)
        table = self.find(self.panel, "Command Table")
        self.wait_until(lambda: self.showing(table), "the Command Table button shows")
        self.click(table)
        self.list_win = self.wait_window(LIST_TITLE)
        self.window = self.acc_window(LIST_TITLE)
        self.edit = self.find(self.window, "Command to send", "text")
        self.send = self.find(self.window, "SEND")

    def wait_edit(self, text):
        self.wait_until(lambda: self.text(self.edit) == text,
                        f"the edit box shows {text!r} (it shows {self.text(self.edit)!r})")

    def shown_list(self):
        lists = [c for c in self.window if c is not None and c.getRoleName() == "combo box"
                 and self.extents(c)[2] > 0]
        return lists[0] if len(lists) == 1 else None

    def test_send_at_once_sends_the_first_entry(self):
        self.wait_edit("C00[CR]")
        self.click_sends(self.send, self.proj, "C00")

    def test_pick_by_keyboard_and_type_over_the_placeholders(self):
        self.click(self.find(self.window, "Expand Command List"))
        combo = self.wait_until(
            lambda: (lambda c: c if c is not None and c.name.startswith("CF BRIGHT UP") else None)(self.shown_list()),
            "the expanded set list shows")
        entries = combo.getChildAtIndex(0)
        index = next(i for i in range(entries.childCount)
                     if entries.getChildAtIndex(i).name.startswith("CF BRIGHT 0%%["))
        self.click(combo)  # the list drops down and takes the keyboard
        self.wait_until(lambda: self.has_state(combo, "STATE_EXPANDED"), "the list drops down")
        xdo("key", "--delay", 60, "Home", *["Down"] * index, "Return")
        self.wait_edit("CF BRIGHT 0%%[CR]")
        hint = self.find(self.window, "% :Parameter (0-9).", "label")
        self.wait_until(lambda: self.showing(hint), "the parameter hint shows")
        # The pick put the focus in the edit box: the operator types over "%%".
        xdo("key", "--delay", 60, "Home", *["Right"] * len("CF BRIGHT 0"), "shift+Right", "shift+Right")
        xdo("type", "--delay", 60, "42")
        self.wait_edit("CF BRIGHT 042[CR]")
        self.click_sends(self.send, self.proj, "CF BRIGHT 042")
        self.click_sends(self.send, self.proj, "CF BRIGHT 042")  # SEND again resends

    def test_text_set_by_an_assistive_technology_is_what_send_sends(self):
        self.wait_edit("C00[CR]")
        self.edit.queryEditableText().setTextContents("C0B[CR]")
        self.wait_edit("C0B[CR]")
        self.click_sends(self.send, self.proj, "C0B")
        self.edit.queryEditableText().setTextContents("CR3")
        self.wait_edit("CR3")
        self.click_sends(self.send, self.proj, "CR3")

    def test_return_on_send_sends_as_space_does(self):
        self.wait_edit("C00[CR]")
        self.focus(self.send)
        self.key(self.list_win, "space")
        self.wait_frames(self.proj, ["C00"], "Space on SEND sends the command")
        self.key(self.list_win, "Return")
        self.wait_frames(self.proj, ["C00", "C00"], "Return on SEND sends the command")

    def test_close_then_reopen_starts_afresh(self):
        self.edit.queryEditableText().setTextContents("C0B[CR]")
        status = self.find(self.panel, "Status", "label")
        self.check(not self.showing(status), "the status frame is hidden while the list is open")
        self.click(self.find(self.window, "CLOSE"))
        self.wait_gone(LIST_TITLE)
        self.wait_until(lambda: self.showing(status), "the status frame shows again")
        self.click(self.find(self.panel, "Command Table"))
        self.wait_window(LIST_TITLE)
        self.window = self.acc_window(LIST_TITLE)
        self.edit = self.find(self.window, "Command to send", "text")
        self.wait_edit("C00[CR]")
        self.window_close(self.wait_window(LIST_TITLE))
        self.wait_gone(LIST_TITLE)
        self.click_sends(self.find(self.panel, "Power On"), self.proj, "C00")


if __name__ == "__main__":
    harness.main()
