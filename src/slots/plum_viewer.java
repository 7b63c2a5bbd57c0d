class PlumViewer { public static void main(String[] args) { System.exit(1); } }
