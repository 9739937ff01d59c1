// The test's side of the stand-in web helper (fake_web_helper.cc): a private
// folder holding the helper's log and the FIFO it reads page messages from,
// named to the helper through the environment it inherits. Any editor that
// starts the stand-in (the LV2 UI, the VST3 view) is tested through it.
// [test thread]
#pragma once
#include <string>
#include <vector>

class FakeHelperSession {
  public:
    // Makes the folder, the log's path and the FIFO, and points the
    // environment at them (XDG_DATA_HOME at a data folder inside, so the news
    // files are the test's own). False on failure.
    bool begin();
    // Closes the FIFO and removes the folder.
    void end();
    // Sends one page message, as the page would post it.
    bool post(const std::string& text);
    // True when the log holds `line` as a whole line.
    bool logged(const std::string& line) const;
    // The page frames the helper received, in order.
    std::vector<std::string> page_lines() const;

    std::string folder;
    std::string log;

  private:
    int script_ = -1;
};
