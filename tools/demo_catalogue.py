"""The bundled demo site: a made-up Kestrix catalogue of fictional shows, and
the maker's update server with a French translation.

Everything is generated from a fixed seed, so the demo looks the same on
every run. Pages are byte strings in Windows-1252, as the program reads them.
"""

import hashlib
import random
import re
import urllib.parse
from pathlib import Path

CONTACT = "epiloom.ardmoor@example.org"


def program_version_label():
    """The program's own label: "V" + the version of project() in the
    top-level CMakeLists.txt. The demo's update server names it as the latest,
    so the demo offers no update."""
    cmake = (Path(__file__).resolve().parents[1] / "CMakeLists.txt").read_text()
    return "V" + re.search(r"project\(Epiloom VERSION ([0-9.]+)", cmake).group(1)


VERSION_LABEL = program_version_label()
TRACKER = "udp%3A%2F%2Ftracker.kestrix.example%3A1337%2Fannounce"

# Invented titles; any likeness to a real programme is unintended.
TITLES = [
    "Brambleworth Manor", "The Lantern Keepers", "Harbourlight Precinct", "Quillon Street",
    "Saltmarsh Rising", "The Ninth Orchard", "Copperfield Junction Blues", "Velvet Meridian",
    "Tidewater County", "The Glass Cartographer", "Ember and Ash", "Northbound Static",
    "Parsley Hill Surgery", "The Understudy Club", "Kestrel Bay", "Moonlit Ledger",
    "The Quiet Engineers", "Hollowmere", "Signal Lost", "Crimson Lattice",
    "The Sixth Lighthouse", "Paper Kingdoms", "Rookwood Academy", "Dust on the Dials",
    "The Marigold Files", "Vantablack Heights", "Ironbridge Bakers", "Starling Road",
    "The Cellar Detectives", "Fennimore & Daughters", "Halfway to Orbit", "The Bellwether Inn",
    "Drift Season", "Gravel and Grace", "The Tin Orchestra", "Nightshift at Linden General",
    "Polar Cartel", "Wickerby Green", "The Last Ferry Home", "Sable Point",
    "Clockwork Harvest", "The Overlook Tapes", "Juniper Falls Rescue", "Foxglove",
    "Under the Viaduct", "The Weatherman's Daughter", "Mistral Heights", "Quarry Lane",
    "Les Rivages d'\u00c9meraude", "The Paper Moon Society", "Saffron Empire", "Thornbury Assizes",
    "Caf\u00e9 Borealis", "Low Tide, High Stakes", "The Orchid Protocol", "Willowmere Vets",
    "A Very Distant Cousin", "Granite City Blues", "The Almanac", "Zephyr Station",
]

GROUPS = ["KXT", "LOL", "DIMENSION", "FLEET", "MiNX", "SVA", "AVS", "KILLERS"]


def slug(title):
    out = []
    for ch in title.lower():
        if ch.isascii() and ch.isalnum():
            out.append(ch)
        elif ch in "\u00e9\u00c9":
            out.append("e")
        elif out and out[-1] != "-":
            out.append("-")
    return "".join(out).strip("-")


def size_text(mb):
    return "%.1f GB" % (mb / 1024) if mb >= 1024 else "%.1f MB" % mb


class Episode:
    def __init__(self, show, season, number, hd, mb, group, style, ep_id):
        self.show, self.season, self.number, self.hd = show, season, number, hd
        self.mb, self.group, self.style, self.ep_id = mb, group, style, ep_id

    def code(self):
        return "S%02dE%02d" % (self.season, self.number)

    def path_code(self):
        if self.style == "x":
            return "%dx%02d" % (self.season, self.number)
        if self.style == "double":
            return "s%02de%02de%02d" % (self.season, self.number, self.number + 1)
        return "s%02de%02d" % (self.season, self.number)

    def release(self):
        quality = "720p.HDTV.x264" if self.hd else "HDTV.x264"
        name = slug(self.show.title).replace("-", ".").title()
        return "%s.%s.%s-%s" % (name, self.code(), quality, self.group)

    def path(self):
        quality = "720p-hdtv-x264" if self.hd else "hdtv-x264"
        return "/ep/%d/%s-%s-%s-%s/" % (self.ep_id, self.show.slug, self.path_code(), quality, self.group.lower())

    def magnet(self):
        btih = hashlib.sha1(self.release().encode()).hexdigest()
        return "magnet:?xt=urn:btih:%s&dn=%s&tr=%s" % (btih, urllib.parse.quote(self.release()), TRACKER)


class Show:
    def __init__(self, show_id, title):
        self.show_id, self.title, self.slug = show_id, title, slug(title)
        self.episodes = []

    def path(self):
        return "/shows/%d/%s/" % (self.show_id, self.slug)


def build_catalogue(seed=1606):
    rng = random.Random(seed)
    shows = []
    ep_id = 48000
    for n, title in enumerate(sorted(TITLES, key=str.lower)):
        show = Show(1100 + 7 * n, title)
        seasons = rng.randint(1, 5)
        style = rng.choice(["s", "s", "s", "x"])
        both = rng.random() < 0.45  # this show's episodes come in 720p as well
        for season in range(max(1, seasons - 1), seasons + 1):
            count = rng.randint(4, 13) if season < seasons else rng.randint(1, 9)
            number = 1
            while number <= count:
                group = rng.choice(GROUPS)
                double = season == seasons and number == 1 and rng.random() < 0.15
                ep_style = "double" if double else style
                sd_mb = rng.uniform(170, 560)
                ep_id += rng.randint(3, 40)
                show.episodes.append(Episode(show, season, number, False, sd_mb, group, ep_style, ep_id))
                if both or rng.random() < 0.1:
                    ep_id += 1
                    hd_mb = rng.uniform(880, 1650)
                    show.episodes.append(Episode(show, season, number, True, hd_mb, group, ep_style, ep_id))
                number += 2 if double else 1
        show.episodes.reverse()  # newest first, as the site lists them
        shows.append(show)
    return shows


def html_page(title, body):
    return (
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"windows-1252\">\n"
        "<title>%s | Kestrix</title>\n<link rel=\"stylesheet\" href=\"/static/kestrix.css\">\n</head>\n"
        "<body>\n<div id=\"header\"><a href=\"/\" class=\"logo\">KESTRIX</a>\n"
        "<ul class=\"nav\"><li><a href=\"/\">Home</a></li><li><a href=\"/showlist/\">Shows</a></li>"
        "<li><a href=\"/faq/\">FAQ</a></li></ul></div>\n<div id=\"content\">\n%s\n</div>\n"
        "<div id=\"footer\">Kestrix &middot; a demo tracker for Epiloom &middot; nothing here is real</div>\n"
        "</body>\n</html>\n" % (title, body)
    )


def show_list_page(shows):
    rows = []
    for show in shows:
        newest = show.episodes[0]
        rows.append(
            "<tr>\n <td class=\"forum_thread_post\"><a href=\"%s\" class=\"thread_link\">%s</a></td>\n"
            " <td class=\"forum_thread_post_end\">%d episodes</td>\n"
            " <td class=\"forum_thread_post_end\">latest %s</td>\n</tr>"
            % (show.path(), show.title, len(show.episodes), newest.code())
        )
    body = (
        "<h1>TV Show list</h1>\n<p>%d shows are followed on Kestrix.</p>\n"
        "<table class=\"forum_header_border\" width=\"100%%\">\n"
        "<tr><th>Show</th><th>Releases</th><th>Newest</th></tr>\n%s\n</table>"
        % (len(shows), "\n".join(rows))
    )
    return html_page("TV Show list", body)


def episode_page(show):
    rows = []
    for ep in show.episodes:
        label = "%s %s%s" % (show.title, ep.code(), " 720p" if ep.hd else "")
        rows.append(
            "<tr class=\"forum_header_border\" name=\"hover\">\n"
            " <td class=\"forum_thread_post\"><a href=\"%s\" title=\"%s (%s)\" class=\"epinfo\">%s</a></td>\n"
            " <td class=\"forum_thread_post\" align=\"center\"><a href=\"%s\" class=\"magnet\""
            " title=\"%s Magnet Link\"></a></td>\n"
            " <td class=\"forum_thread_post\" align=\"center\">%s</td>\n</tr>"
            % (ep.path(), label, size_text(ep.mb), ep.release(), ep.magnet(), label, size_text(ep.mb))
        )
    body = (
        "<h1>%s</h1>\n<p class=\"show_info\">Show page on Kestrix. Episodes listed newest first.</p>\n"
        "<table class=\"forum_header_noborder\" width=\"100%%\">\n"
        "<tr><th>Episode</th><th>Magnet</th><th>Size</th></tr>\n%s\n</table>"
        % (show.title, "\n".join(rows))
    )
    return html_page(show.title, body)


# The French translation, as a translator would send it: one line per key, the
# same order as the English file.
FRENCH = [
    ("CheckNewVersion", "V\u00e9rification de la version du programme et des nouvelles traductions"),
    ("NewVersion1", "Une nouvelle version du programme est disponible"),
    ("NewVersion2", "Voulez-vous la t\u00e9l\u00e9charger maintenant ?"),
    ("LabelNewLng1", "De nouvelles langues sont disponibles pour le programme !"),
    ("LabelNewLng2", "Elles ont \u00e9t\u00e9 t\u00e9l\u00e9charg\u00e9es automatiquement dans"),
    ("LabelNewLng3", "Vous les trouverez d'un simple clic sur l'ic\u00f4ne \u00ab Langue \u00bb en haut \u00e0 droite de cette fen\u00eatre"),
    ("LaunchTorrent1", "Lancer le t\u00e9l\u00e9chargement de ces"),
    ("LaunchTorrent2", "nouveaux \u00e9pisodes ?"),
    ("LaunchTorrent3", "(vous retrouverez toujours les torrents"),
    ("LaunchTorrent4", "dans le dossier actuel d'Epiloom :"),
    ("Param1", "R\u00e9glages"),
    ("Param2", "R\u00e9glages de"),
    ("My", "mes"),
    ("TVShows", "s\u00e9ries"),
    ("End", "TERMINER"),
    ("Next", "Suivant >>"),
    ("Prev", "<< Pr\u00e9c\u00e9dent"),
    ("Populate", "R\u00e9cup\u00e9ration de la liste des s\u00e9ries sur Kestrix"),
    ("Available", "s\u00e9ries disponibles sur Kestrix :"),
    ("Inc", "(dont"),
    ("New", "nouvelles)"),
    ("Filtering1", "Filtre actif :"),
    ("Filtering2", "s\u00e9ries sur liste noire. Cliquez ici pour les g\u00e9rer"),
    ("Unavailable", "Site Kestrix indisponible ou en maintenance"),
    ("InternetError", "Impossible de se connecter \u00e0 Kestrix"),
    ("Problem", "Probl\u00e8me de connexion"),
    ("NotOnKestrix1", "Attention ! Les s\u00e9ries suivantes ne sont plus r\u00e9f\u00e9renc\u00e9es sur Kestrix :"),
    ("NotOnKestrix2", "Elles vont \u00eatre retir\u00e9es de votre liste de s\u00e9ries favorites"),
    ("NotOnKestrix3", "S\u00e9ries disparues"),
    ("Remove1", "Voulez-vous vraiment retirer"),
    ("Remove2", "Cette s\u00e9rie n'appara\u00eetra plus dans la liste"),
    ("Remove3", "Retirer une s\u00e9rie"),
    ("NoNewEp", "Aucun nouvel \u00e9pisode"),
    ("Close", "Fermer"),
    ("Uncheck", "Voulez-vous vraiment retirer"),
    ("Check1", "Ajouter"),
    ("Check2", "\u00e0 la liste des s\u00e9ries favorites ?"),
    ("PopupMenu1", "Retirer cette s\u00e9rie de la liste"),
    ("PopupMenu2", "Impossible de retirer une s\u00e9rie favorite"),
    ("Download1", "T\u00e9l\u00e9charger"),
    ("Download2", "les derniers"),
    ("Download3", "\u00e9pisodes !"),
    ("Properties", "Mise \u00e0 jour des informations des s\u00e9ries"),
    ("Cancel", "Annuler"),
    ("BlackList", "S\u00e9ries sur liste noire"),
    ("WhiteList", "Remettre dans la liste"),
    ("Finish", "Termin\u00e9"),
    ("Q720p1", "Si un m\u00eame \u00e9pisode existe en 720p et en qualit\u00e9 standard :"),
    ("Q720p2", "Choisir la qualit\u00e9 standard (plus rapide \u00e0 t\u00e9l\u00e9charger)"),
    ("Q720p3", "Choisir le 720p (pour un visionnage en haute d\u00e9finition)"),
    ("LastEpisodeWatched1", "Dernier \u00e9pisode vu :"),
    ("LastEpisodeWatched2", "Je n'ai pas encore regard\u00e9 cette s\u00e9rie"),
    ("LastEpisodeWatched3", "J'ai regard\u00e9 cette s\u00e9rie jusqu'\u00e0 l'\u00e9pisode"),
    ("LastEpisodeWatched4", "inclus"),
    ("Torrent", "T\u00e9l\u00e9chargement des nouveaux torrents"),
    ("About1", "Ce logiciel est gratuit, mais j'accepte les dons PayPal \u00e0 " + CONTACT),
    ("About2", "Un bug \u00e0 signaler ? Une contribution \u00e0 apporter (traduction) ? \u00c9crivez-moi \u00e0 " + CONTACT),
    ("AutoClose", "Fermeture dans"),
]


def french_language_file():
    lines = ["[Language]"] + [key + ("= " if key != "Inc" else " = ") + text for key, text in FRENCH]
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


HOME_PAGE = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Epiloom</title></head>
<body>
<h1>Epiloom</h1>
<p>Epiloom follows your favourite TV shows on Kestrix and hands every new
episode to your torrent client.</p>
<p>Version %s is the current version. Translations: English, French.</p>
<p>Questions, bugs, translations: %s</p>
</body></html>
""" % (VERSION_LABEL, CONTACT)


def build_site():
    """URL path -> (body bytes, content type) for the whole demo."""
    html = "text/html; charset=windows-1252"
    text = "text/plain"
    shows = build_catalogue()
    site = {
        "/": (html_page("Home", "<h1>Welcome to Kestrix</h1>\n<p>Browse the <a href=\"/showlist/\">show list</a>.</p>").encode("cp1252"), html),
        "/showlist/": (show_list_page(shows).encode("cp1252"), html),
        "/Epiloom/lastversion.dat": ((VERSION_LABEL + ";").encode("ascii"), text),
        "/Epiloom/languages.dat": (b"EN;FR", text),
        "/Epiloom/Epiloom.lang.FR": (french_language_file(), "application/octet-stream"),
        "/epiloom/": (HOME_PAGE.encode("utf-8"), "text/html; charset=utf-8"),
    }
    for show in shows:
        site[show.path()] = (episode_page(show).encode("cp1252"), html)
    return site
