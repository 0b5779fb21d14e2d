"""The English texts as the user sees them, written out here independently
of the program, so the scenarios can tell what the program should show and
what its default English language file must hold."""

CONTACT = "epiloom.ardmoor@example.org"

# (key, built-in text), in the order of the default file.
ENGLISH = [
    ("CheckNewVersion", "Checking program version and new translations"),
    ("NewVersion1", "There is a new version of the program available"),
    ("NewVersion2", "Download it now ?"),
    ("LabelNewLng1", "New languages are available for the program !"),
    ("LabelNewLng2", "They have been automatically downloaded in"),
    ("LabelNewLng3", "You can find them by simple cliking on the 'Language' icon at the top-right corner of this window"),
    ("LaunchTorrent1", "Launch the download of these"),
    ("LaunchTorrent2", "new episodes ?"),
    ("LaunchTorrent3", "(you can always find the torrents back"),
    ("LaunchTorrent4", "in Epiloom current folder:"),
    ("Param1", "Settings"),
    ("Param2", "Settings for"),
    ("My", "my"),
    ("TVShows", "TV Shows"),
    ("End", "END"),
    ("Next", "Next >>"),
    ("Prev", "<< Previous"),
    ("Populate", "Getting the list of TV Shows from Kestrix"),
    ("Available", "Kestrix Shows available:"),
    ("Inc", "(including"),
    ("New", "new)"),
    ("Filtering1", "Filtering on:"),
    ("Filtering2", "blacklisted TV Shows. Click here to manage"),
    ("Unavailable", "Kestrix website unavailable or in maintenance"),
    ("InternetError", "Impossible to connect to Kestrix"),
    ("Problem", "Connection problem"),
    ("NotOnKestrix1", "Beware! The following TV Shows are no longer referenced on Kestrix:"),
    ("NotOnKestrix2", "They will be removed from your list of favorite shows"),
    ("NotOnKestrix3", "Missing TV Shows"),
    ("Remove1", "Are you sure to remove"),
    ("Remove2", "This TV Show will no longer appear in the list"),
    ("Remove3", "Remove a show"),
    ("NoNewEp", "No new episodes"),
    ("Close", "Close"),
    ("Uncheck", "Are you sure you want to remove"),
    ("Check1", "Add"),
    ("Check2", "to the list of favorite shows?"),
    ("PopupMenu1", "Remove this show from the list"),
    ("PopupMenu2", "Cannot remove a favorite show"),
    ("Download1", "Download"),
    ("Download2", "newest"),
    ("Download3", "episodes !"),
    ("Properties", "Updating TV Shows properties"),
    ("Cancel", "Cancel"),
    ("BlackList", "Blacklisted shows"),
    ("WhiteList", "Put back in the list"),
    ("Finish", "Finished"),
    ("Q720p1", "In case of a same episode available in 720p and in standard quality:"),
    ("Q720p2", "Choose standard quality (faster to download)"),
    ("Q720p3", "Choose 720p (for a High Definition watching)"),
    ("LastEpisodeWatched1", "Last episode watched:"),
    ("LastEpisodeWatched2", "I didn't watch this show yet"),
    ("LastEpisodeWatched3", "I watched this TV Show until episode"),
    ("LastEpisodeWatched4", "included"),
    ("Torrent", "Downloading new torrents"),
    ("About1", "This software is free of charge but I accept PayPal donations to " + CONTACT),
    ("About2", "A bug to report ? A contribution to make (translation) ? Contact me at " + CONTACT),
    ("AutoClose", "Closing in"),
    ("ReadOnlyFolder1", "Epiloom cannot write in its folder:"),
    ("ReadOnlyFolder2", "Your favorite shows, blacklist, language choice and the shortcuts of new episodes will not "
                        "be kept: nothing you change will persist. Move Epiloom to a folder of its own that you can "
                        "write."),
    ("SaveProblem1", "Epiloom could not save these files:"),
    ("SaveProblem2", "What you changed in them is lost. Another program may be holding them open."),
    ("UpdaterProblem", "The new version could not be saved. It will be offered again at the next start:"),
    ("ShortcutProblem1", "These new episodes could not be saved as shortcuts and were not handed over:"),
    ("ShortcutProblem2", "They will be offered again at the next check."),
    ("LaunchProblem1", "These episodes did not reach a torrent client (no program opens magnet links):"),
    ("LaunchProblem2", "Their shortcuts stay in this folder; open them once a torrent client takes magnet links:"),
]

BUILT_IN = dict(ENGLISH)

# The About2 text that replaces a translation which dropped the address.
ABOUT2_FALLBACK = "A bug to report? A contribution to make (translation)? Contact me at " + CONTACT


def default_english_file():
    """The bytes of the Epiloom.lang.EN the program writes when none exists."""
    lines = ["[Language]"]
    for key, text in ENGLISH:
        if key == "LabelNewLng3":
            text = text.replace("cliking", "clicking")
        separator = " = " if key == "Inc" else "= "
        lines.append(key + separator + text)
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def main_window_texts(texts=BUILT_IN):
    """Control ID -> text of the main window before the show list is read."""
    return {
        1004: texts["CheckNewVersion"],
        1005: texts["Param2"] + "\n" + texts["My"] + " " + texts["TVShows"],
        1006: texts["Download1"] + "\n" + texts["Download2"] + "\n" + texts["Download3"],
        1037: texts["About1"] + "\n" + texts["About2"],
    }
