# Starts Orca, the screen reader, with its preferences in the folder given, as /usr/bin/orca
# does, but without its check for other Orca processes of the same user: that check looks at
# the whole machine, so a test would refuse to run beside a user's own Orca, and `--replace`
# would kill it. Run by Debian's /usr/bin/python3.
import sys

from orca import orca

manager = orca.getSettingsManager()
# Braille and sounds would go to the machine's own display and sound card.
manager.activate(sys.argv[1], {'enableBraille': False, 'enableSound': False})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
