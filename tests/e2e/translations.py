"""Translations the scenarios install beside the program, the language
choice file as the profile functions read it, and the texts of the main
window as any language composes them, written out here independently of the
program."""

from english_texts import BUILT_IN, CONTACT
from harness import ABOUT_LINE, BLACKLIST_LABEL, DOWNLOAD_BUTTON, SETTINGS_BUTTON, STATUS_LINE

# The texts of the default English file: the program writes it with one
# spelling corrected.
ENGLISH_FILE = {**BUILT_IN, "LabelNewLng3": BUILT_IN["LabelNewLng3"].replace("cliking", "clicking")}

FRENCH = {
    "CheckNewVersion": "V\u00e9rification de la version et des nouvelles traductions",
    "NewVersion1": "Une nouvelle version du programme est disponible",
    "NewVersion2": "La t\u00e9l\u00e9charger maintenant ?",
    "LabelNewLng1": "De nouvelles langues sont disponibles !",
    "LabelNewLng2": "Elles ont \u00e9t\u00e9 t\u00e9l\u00e9charg\u00e9es dans",
    "LabelNewLng3": "Cliquez sur l'ic\u00f4ne 'Langue' en haut \u00e0 droite de cette fen\u00eatre",
    "Populate": "R\u00e9cup\u00e9ration de la liste des s\u00e9ries sur Kestrix",
    "Available": "s\u00e9ries Kestrix disponibles :",
    "Unavailable": "Site Kestrix indisponible ou en maintenance",
    "InternetError": "Impossible de se connecter \u00e0 Kestrix",
    "Problem": "Probl\u00e8me de connexion",
    "Param2": "Param\u00e8tres pour",
    "My": "mes",
    "TVShows": "s\u00e9ries",
    "Inc": "(dont",
    "New": "nouvelles)",
    "Filtering1": "Filtre :",
    "Filtering2": "s\u00e9ries exclues. Cliquez ici pour les g\u00e9rer",
    "Download1": "T\u00e9l\u00e9charger",
    "Download2": "les derniers",
    "Download3": "\u00e9pisodes !",
    "About1": "Ce logiciel est gratuit, mais j'accepte les dons PayPal \u00e0 " + CONTACT,
    "About2": "Un bug \u00e0 signaler ? Une traduction \u00e0 proposer ? \u00c9crivez-moi \u00e0 " + CONTACT,
}

GERMAN = {
    "CheckNewVersion": "Programmversion und neue \u00dcbersetzungen werden gepr\u00fcft",
    "Populate": "Liste der Serien wird von Kestrix geladen",
    "Available": "Kestrix-Serien verf\u00fcgbar:",
    "Unavailable": "Kestrix nicht erreichbar oder in Wartung",
    "InternetError": "Keine Verbindung zu Kestrix",
    "Param2": "Einstellungen f\u00fcr",
    "My": "meine",
    "TVShows": "Serien",
    "Inc": "(davon",
    "New": "neu)",
    "Filtering1": "Filter:",
    "Filtering2": "ausgeblendete Serien. Hier klicken zum Verwalten",
    "Download1": "Die neuesten",
    "Download2": "Folgen",
    "Download3": "herunterladen!",
    "About1": "Diese Software ist kostenlos, PayPal-Spenden gern an " + CONTACT,
    "About2": "Einen Fehler melden? Eine \u00dcbersetzung beitragen? Schreiben Sie an " + CONTACT,
}


CHOICE_FILE = "Epiloom-LANG.ini"


def read_choice(app):
    """The choice file as the profile functions read it: {section: {key: value}},
    names in lower case, values trimmed, the first of two keys kept."""
    sections, current = {}, None
    for line in app.file(CHOICE_FILE).read_bytes().decode("cp1252").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1].strip().lower(), {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current.setdefault(key.strip().lower(), value.strip())
    return sections


def language_file(texts):
    """The bytes of a language file holding these texts (CR LF lines, ANSI)."""
    lines = ["[Language]"] + ["%s= %s" % (key, text) for key, text in texts.items()]
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def in_language(translation):
    """Every text of a language whose file holds `translation`."""
    return {**BUILT_IN, **translation}


WINDOW_TEXTS = (STATUS_LINE, SETTINGS_BUTTON, DOWNLOAD_BUTTON, BLACKLIST_LABEL, ABOUT_LINE)


def window_texts(texts, phase=None, shows=0, favourites=0, unwatched=0, blacklisted=0):
    """Control ID -> text of the main window: before a list was read, with
    the status line on the text of key `phase`; or with `shows` shows listed,
    the counts of favourites (and of those never watched) and of blacklisted
    shows."""
    settings = texts["Param2"] + "\n" + texts["My"] + " "
    if shows and favourites > 0:
        settings += "%d " % favourites
    settings += texts["TVShows"]
    if shows and favourites > 0 and unwatched > 0:
        settings += "\n%s %d %s" % (texts["Inc"], unwatched, texts["New"])
    label = ""
    if shows and blacklisted > 0:
        label = "%s %d %s" % (texts["Filtering1"], blacklisted, texts["Filtering2"])
    return {
        STATUS_LINE: "%d %s" % (shows, texts["Available"]) if shows else texts[phase],
        SETTINGS_BUTTON: settings,
        DOWNLOAD_BUTTON: texts["Download1"] + "\n" + texts["Download2"] + "\n" + texts["Download3"],
        BLACKLIST_LABEL: label,
        ABOUT_LINE: texts["About1"] + "\n" + texts["About2"],
    }


def read_window_texts(app):
    return {control: app.text(control) for control in WINDOW_TEXTS}
