// The Qt program grows here.
