# SPDX-License-Identifier: GPL-3.0-or-later
# One face of Liberation Sans cut down to the letters the game writes (Latin, Latin-1, Russian and
# the other Cyrillic of U+0400-045F, punctuation), its hinting and layout kept. A font changed so is
# a Modified Version under the SIL Open Font Licence, which may not bear the Reserved Font Names
# ("Liberation", and "Arimo" of the outlines it comes from): it gets a family name of its own.
#   python3 subset-face.py IN.ttf OUT.ttf "Family Name"
import sys
from fontTools import subset
from fontTools.ttLib import TTFont

source, target, family = sys.argv[1:4]
letters = ('U+0020-007E,U+00A0-00FF,U+0400-045F,U+2010-2027,U+2030-203A,'
           'U+20AC,U+2116,U+2122,U+FFFD')
subset.main([source, '--output-file=' + target, '--unicodes=' + letters, '--layout-features=*',
             '--legacy-kern', '--hinting', '--drop-tables+=FFTM', '--notdef-outline', '--name-IDs=*', '--name-languages=*'])

font = TTFont(target)
names = font['name']
# The family, full, unique and PostScript names and their typographic kin; the copyright, trademark
# and licence records still say whose work it is and under what terms.
for record in names.names:
    if record.nameID in (1, 3, 4, 6, 16, 17, 18, 21, 22):
        text = record.toUnicode()
        text = text.replace('Liberation Sans', family).replace('LiberationSans', family.replace(' ', ''))
        names.setName(text, record.nameID, record.platformID, record.platEncID, record.langID)
font.save(target)
