# Writes the fallback command icons (SVG sources) in the style of the program icon: the
# handset's blue-grey body, the green display, the grey keys. render.sh makes the PNGs.
import os

DEFS = ('<defs><linearGradient id="b" x1="0" y1="0" x2="1" y2="1">'
        '<stop offset="0" stop-color="#4a6886"/><stop offset="1" stop-color="#1f2f40"/>'
        '</linearGradient><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#d4eaa6"/><stop offset="1" stop-color="#a9cf78"/>'
        '</linearGradient></defs>')
PAGE = ('<path d="M7 3.5h12l6 6v19H7z" fill="#f4f7fa" stroke="#1f2f40" stroke-width="1.6" '
        'stroke-linejoin="round"/><path d="M19 3.5v6h6" fill="#c3ced9" stroke="#1f2f40" '
        'stroke-width="1.6" stroke-linejoin="round"/>')
DISK = ('<rect x="4" y="4" width="24" height="24" rx="3.5" fill="url(#b)"/>'
        '<rect x="8" y="16" width="16" height="10" rx="1.5" fill="url(#g)" stroke="#16222e" '
        'stroke-width="1.2"/><rect x="10" y="4" width="12" height="7.5" rx="1" fill="#c3ced9"/>'
        '<rect x="17.5" y="5.5" width="3" height="4.5" fill="#1f2f40"/>')
ARROW = ('<path d="{d}" fill="none" stroke="#1f2f40" stroke-width="6" stroke-linecap="round"/>'
         '<path d="{d}" fill="none" stroke="#a9cf78" stroke-width="3" stroke-linecap="round"/>')

ICONS = {
    "document-new": ("a blank page with a green spark", PAGE +
        '<circle cx="23" cy="23" r="6.5" fill="url(#g)" stroke="#16222e" stroke-width="1.4"/>'
        '<path d="M23 19.5v7M19.5 23h7" stroke="#1b2a14" stroke-width="2" stroke-linecap="round"/>'),
    "document-open": ("an open folder in the handset's colours",
        '<path d="M3 8.5a2 2 0 0 1 2-2h7l2.5 2.5H26a2 2 0 0 1 2 2V26H3z" fill="url(#b)"/>'
        '<path d="M9 13h20.5l-4 13H3z" fill="url(#g)" stroke="#16222e" stroke-width="1.4" '
        'stroke-linejoin="round"/>'),
    "document-save": ("a disk in the handset's colours, its label the green display", DISK),
    "document-save-as": ("the disk with a pencil", DISK +
        '<path d="M18 29l1-5 9.5-9.5 4 4L23 28z" fill="#f2c14e" stroke="#16222e" '
        'stroke-width="1.3" stroke-linejoin="round"/><path d="M18 29l1-5 4 4z" fill="#1f2f40"/>'),
    "edit-undo": ("an arrow turning back",
        ARROW.format(d="M10 13h11a6.5 6.5 0 0 1 0 13h-6") +
        '<path d="M3 13l9-8v16z" fill="url(#b)" stroke="#16222e" stroke-width="1.2" '
        'stroke-linejoin="round"/>'),
    "edit-redo": ("an arrow turning forward",
        ARROW.format(d="M22 13H11a6.5 6.5 0 0 0 0 13h6") +
        '<path d="M29 13l-9-8v16z" fill="url(#b)" stroke="#16222e" stroke-width="1.2" '
        'stroke-linejoin="round"/>'),
    "edit-cut": ("scissors",
        '<path d="M9.5 3l9 17M22.5 3l-9 17" stroke="#5b6f84" stroke-width="2.8" '
        'stroke-linecap="round"/><path d="M9.5 3l9 17M22.5 3l-9 17" stroke="#c3ced9" '
        'stroke-width="1.2" stroke-linecap="round"/>'
        '<circle cx="10" cy="24" r="4.5" fill="none" stroke="url(#b)" stroke-width="3"/>'
        '<circle cx="22" cy="24" r="4.5" fill="none" stroke="url(#b)" stroke-width="3"/>'),
    "edit-copy": ("two pages",
        '<path d="M4 3h12l4 4v16H4z" fill="#dfe6ee" stroke="#1f2f40" stroke-width="1.6" '
        'stroke-linejoin="round"/><path d="M12 9h12l4 4v16H12z" fill="#f4f7fa" '
        'stroke="#1f2f40" stroke-width="1.6" stroke-linejoin="round"/>'
        '<path d="M15 17h9M15 21h9M15 25h6" stroke="#a9cf78" stroke-width="2" '
        'stroke-linecap="round"/>'),
    "edit-paste": ("a clipboard in the handset's colours with a page",
        '<rect x="4" y="5" width="20" height="24" rx="3" fill="url(#b)"/>'
        '<rect x="9" y="2.5" width="10" height="5" rx="1.5" fill="#c3ced9" stroke="#16222e" '
        'stroke-width="1.2"/><path d="M13 12h11l4 4v13H13z" fill="#f4f7fa" stroke="#1f2f40" '
        'stroke-width="1.6" stroke-linejoin="round"/><path d="M16 19h9M16 23h9" '
        'stroke="#a9cf78" stroke-width="2" stroke-linecap="round"/>'),
    "edit-delete": ("a red cross on a key",
        '<rect x="4" y="4" width="24" height="24" rx="6" fill="url(#b)"/>'
        '<path d="M10.5 10.5l11 11M21.5 10.5l-11 11" stroke="#e0533f" stroke-width="4" '
        'stroke-linecap="round"/>'),
    "media-playback-start": ("a play triangle lit like the display",
        '<path d="M8 4.5l19 11.5L8 27.5z" fill="url(#g)" stroke="#16222e" stroke-width="1.8" '
        'stroke-linejoin="round"/>'),
    "media-playback-stop": ("a stop square in the handset's colours",
        '<rect x="6" y="6" width="20" height="20" rx="3" fill="url(#b)" stroke="#16222e" '
        'stroke-width="1.4"/><rect x="10" y="10" width="12" height="12" rx="1.5" '
        'fill="url(#g)"/>'),
    "application-exit": ("a door left by an arrow",
        '<path d="M4 4h14v24H4z" fill="url(#b)"/><circle cx="14.5" cy="16.5" r="1.4" '
        'fill="#c3ced9"/>' + ARROW.format(d="M16 16h8") +
        '<path d="M22 9.5l7 6.5-7 6.5z" fill="#a9cf78" stroke="#16222e" stroke-width="1.2" '
        'stroke-linejoin="round"/>'),
    "help-contents": ("a question mark on the display's green",
        '<circle cx="16" cy="16" r="13" fill="url(#g)" stroke="#16222e" stroke-width="1.8"/>'
        '<path d="M11.5 12.5a4.5 4.5 0 1 1 6.5 4c-1.3.7-2 1.5-2 3v1" fill="none" '
        'stroke="#1b2a14" stroke-width="3" stroke-linecap="round"/>'
        '<circle cx="16" cy="25" r="1.9" fill="#1b2a14"/>'),
    "help-about": ("an i on the handset's blue",
        '<circle cx="16" cy="16" r="13" fill="url(#b)" stroke="#16222e" stroke-width="1.4"/>'
        '<circle cx="16" cy="9" r="2.2" fill="#d4eaa6"/><path d="M16 14v10" stroke="#d4eaa6" '
        'stroke-width="3.6" stroke-linecap="round"/>'),
}

here = os.path.dirname(os.path.abspath(__file__))
os.makedirs(os.path.join(here, "svg"), exist_ok=True)
for name, (what, body) in ICONS.items():
    with open(os.path.join(here, "svg", name + ".svg"), "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<!-- Pealix command icon: %s. -->\n'
                '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
                'viewBox="0 0 32 32">\n  %s\n  %s\n</svg>\n' % (what, DEFS, body))
