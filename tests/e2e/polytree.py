"""What the viewer shows, whichever platform it runs on: its captions and
texts, its display rows and the colours of the figure."""

CAPTION = "PolyTree - Polygon Tree Viewer"
START_QUESTION = "Would You Like To Run In Fullscreen Mode?"
START_CAPTION = "Start FullScreen?"
FALLBACK_QUESTION = ("The Requested Fullscreen Mode Is Not Supported By\n"
                     "Your Video Card. Use Windowed Mode Instead?")
FALLBACK_CAPTION = "Quor GL"
CLOSE_NOTICE = "Program Will Now Close."
ERROR_CAPTION = "ERROR"
HELP_CAPTION = "Help..."

DISPLAY_ROWS = [(128, 128), (320, 240), (640, 480), (800, 600), (1024, 768)]

BROWN = (178, 127, 76)  # the trunk colour (0.7, 0.5, 0.3)
GREEN = (0, 255, 0)
BLACK = (0, 0, 0)
